# Our own targets build with every useful warning; TW_WERROR makes them errors.
function(tw_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual)
  # GCC 12 reports -Wrestrict for std::string's own inlined copies at -O3 (Release), a false positive of
  # that compiler that names no line of ours: left out where it arises.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-Wno-restrict>)
  endif()
  if(TW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
