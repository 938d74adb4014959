# Our own targets build with every useful warning, and warnings are errors.
function(tw_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Woverloaded-virtual -Werror)
endfunction()
