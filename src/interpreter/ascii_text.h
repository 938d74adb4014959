#pragma once
// The ASCII text helpers live in src/text/ so that the platform layer and the network clients share them;
// this name stays for the files of the main window until they include text/ascii_text.h themselves.

#include "text/ascii_text.h"
