#pragma once
// The error a desktop service throws when it cannot work at all here, for example because there is no display.
// The command library turns it into a script error carrying what() as its message.

#include <stdexcept>
#include <string>

namespace tw::port {

class ServiceUnavailable : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tw::port
