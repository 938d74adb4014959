#pragma once
// The one QApplication of a Qt test program, made on first use under the program's own name. Every test file
// of a program shares it, and it is never destroyed: at exit Qt's own statics would be gone before it.

#include <QApplication>
#include <cerrno>

namespace tw::test {

inline QApplication& Application() {
  static int argc = 1;
  static char* argv[] = {program_invocation_short_name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

}  // namespace tw::test
