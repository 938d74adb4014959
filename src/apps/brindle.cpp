#include "runtime/brindle_cli.h"

int main(int argc, char** argv) { return tw::BrindleMain(argc, argv); }
