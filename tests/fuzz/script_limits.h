#pragma once
// What the script fuzzers keep a run away from: the file system, texts of any length and endless loops.

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"

namespace tw::fuzz {

// Scripts that name any of these words are passed over: they could reach the file system, or (leftpad,
// rightpad) ask for gigabytes of text in one call.
inline bool PassOver(std::string lowered, std::initializer_list<std::string_view> alsoAvoid = {}) {
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  static constexpr std::string_view kWords[] = {"file",       "savevars",     "loadvars", "fopen",   "fputs",
                                                "fgets",      "dir",          "errorlog", "include", "getdir",
                                                "savetofile", "loadfromfile", "pad"};
  for (std::string_view word : kWords)
    if (lowered.find(word) != std::string::npos) return true;
  for (std::string_view word : alsoAvoid)
    if (lowered.find(word) != std::string::npos) return true;
  return false;
}

// Whether a variable the running code can see holds more than a megabyte of text.
inline bool HoldsHugeText(const TBasicInterpreter& running) {
  bool huge = false;
  const auto visit = [&huge](std::string_view, const TVariable& variable) {
    if (variable.Value.IsText() && variable.Value.TextView().size() > (std::size_t{1} << 20)) huge = true;
  };
  for (const TBasicInterpreter* in = &running; in && !huge; in = in->Parent) in->Locals.ForEach(visit);
  if (!huge && running.Globals()) running.Globals()->ForEach(visit);
  return huge;
}

// Stops a run after 2,000 lines, or once a variable holds more than a megabyte of text (a loop that doubles a
// text reaches gigabytes in a few dozen lines). Both are checked before each line through the line hook, which
// leaves the interpreter reading and computing as it does for users; `noteLine` also sees each line. Sub and
// function calls copy the hook, so the count is kept outside it.
inline void LimitRun(TBasicInterpreter& interpreter, std::function<void(std::size_t, std::string_view)> noteLine = {}) {
  interpreter.OnLine = [lines = std::make_shared<int>(0), note = std::move(noteLine)](
                           TBasicInterpreter& in, std::size_t index, std::string_view line) {
    if (note) note(index, line);
    if (++*lines > 2000 || HoldsHugeText(in)) in.StopScript();
  };
}

}  // namespace tw::fuzz
