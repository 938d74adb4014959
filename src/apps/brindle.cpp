#include "runtime/brindle_cli.h"
#include "runtime/qt/brindle_windows.h"

int main(int argc, char** argv) {
  tw::QtBrindleWindows windows(argc, argv);
  return tw::BrindleMain(argc, argv, &windows);
}
