#pragma once
// The ordered record of everything a program did to the fake desktop, one readable line per action:
// "activate Editor", "key down Control", "type c", "mouse move 10,20", "start prog -a", "beep Error".
// Queries are not recorded, so an empty log means the desktop was left untouched.

#include <string>
#include <vector>

namespace tw::port::fake {

using ActionLog = std::vector<std::string>;

}  // namespace tw::port::fake
