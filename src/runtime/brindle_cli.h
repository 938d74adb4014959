#pragma once
// The command line of the stand-alone runtime: run, check or compile one script.

namespace tw {

// Exit status: 0 the run ended normally or by `end`; 1 a script error ended it; 2 a usage
// error or a script file that is missing or cannot be loaded; 130 stopped by Ctrl+C.
int BrindleMain(int argc, char** argv);

}  // namespace tw
