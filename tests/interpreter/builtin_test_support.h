#pragma once
// Helpers for the built-in function tests: a locale that holds for one test, and the values a
// script leaves in its globals after a syntax check.

#include <map>
#include <string>
#include <string_view>

#include "interpreter/locale/locale.h"
#include "support/recording_host.h"

namespace tw::test {

class ScopedLocale {
 public:
  explicit ScopedLocale(const Locale& locale) : saved_(currentLocale()) { setCurrentLocale(locale); }
  ~ScopedLocale() { setCurrentLocale(saved_); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  Locale saved_;
};

// Syntax-checks the script (assignments still run there) and returns every global as text,
// kind names written in front: "Integer:0", "String:".
inline std::map<std::string, std::string> GlobalsAfterCheck(std::string_view script, RecordingHost& host) {
  TBasicInterpreter interpreter(host);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  interpreter.SetScriptText(script, "test.tws");
  interpreter.CheckSyntax();
  std::map<std::string, std::string> values;
  globals.ForEach([&](std::string_view name, const TVariable& variable) {
    values[std::string(name)] = std::string(KindName(variable.Value.Kind())) + ":" + variable.Value.ToText();
  });
  return values;
}

}  // namespace tw::test
