#pragma once
// Plays key actions into whatever window has the keyboard focus.

#include <functional>
#include <string>

#include "commands/key_string.h"
#include "port/keyboard.h"
#include "port/toggle_keys.h"

namespace tw {

// Shows a message to the user ("Invalid Key Name", "Invalid KeyName", "No Close") and waits.
using KeyNotice = std::function<void(const std::string& text)>;
// Asked before the first key and between short runs of keys: false ends the typing at once.
using KeyCheckpoint = std::function<bool()>;

enum class PlayResult {
  Complete,    // every key was typed
  Unfinished,  // the text stopped at a brace group without "}"
  Ended,       // the checkpoint ended the typing
};

// Types the plan. A character under held modifiers is pressed as its layout key, so ^c is Ctrl+C and
// ~a a capital A; other characters are typed whatever the layout (a spare key is lent where the
// layout lacks one). When the checkpoint ends the typing, every key the player holds is released.
PlayResult PlayKeys(const KeyPlan& plan, port::KeyboardInjector& keyboard, port::ToggleKeys& toggles,
                    const KeyNotice& notice, const KeyCheckpoint& checkpoint);

}  // namespace tw
