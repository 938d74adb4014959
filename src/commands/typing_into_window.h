#pragma once
// Typing a key string into the window a command activated, and only into it.

#include "commands/key_player.h"
#include "port/windows.h"

namespace tw {

class TTarnwickBasic;

enum class TypedInto {
  Complete,    // every key was typed
  Unfinished,  // the text stopped at a brace group without "}"
  Stopped,     // a stop request ended the typing
  TargetLost,  // the target went away or another program took the keyboard: the rest was not typed
};

// Plays the plan into `target`, which the caller has just activated. Between short runs of keys a stop
// request ends the typing, and so does a target that went away or a focus that moved to another program
// (its keys would go there); a dialog of the target's program, such as the one its Ctrl+S opens, takes the
// keys. Whatever ends the typing, no key stays held.
TypedInto TypeIntoWindow(TTarnwickBasic& library, port::WindowId target, const KeyPlan& plan);

}  // namespace tw
