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

// Types the plan. A character under held modifiers is pressed as its layout key, so ^c is Ctrl+C and
// ~a a capital A; other characters are typed whatever the layout (a spare key is lent where the
// layout lacks one). Answers the plan's Complete flag.
bool PlayKeys(const KeyPlan& plan, port::KeyboardInjector& keyboard, port::ToggleKeys& toggles,
              const KeyNotice& notice);

}  // namespace tw
