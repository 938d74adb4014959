#pragma once
// THandleTable: the settings keys and database queries a script holds open, under handle numbers drawn at
// random from the unused numbers 1 to 10000. Both kinds share one number space; a number that names an
// object of the other kind is treated as unknown.

#include <map>
#include <memory>
#include <string>

#include "interpreter/handle_numbers.h"

namespace tw {

class TTarnwickBasic;

// An object a script holds through a handle.
class THandleObject {
 public:
  virtual ~THandleObject() = default;
};

class THandleTable {
 public:
  // The new handle, or 0 when every number is taken (the object is then freed).
  int Add(std::unique_ptr<THandleObject> object) {
    const int number = UnusedHandleOf(objects_);
    if (number != 0) objects_.emplace(number, std::move(object));
    return number;
  }

  // The object of that kind under the number, or null.
  template <typename Kind>
  Kind* Find(int number) const {
    auto it = objects_.find(number);
    return it == objects_.end() ? nullptr : dynamic_cast<Kind*>(it->second.get());
  }

  // Frees the object of that kind under the number; false when there is none.
  template <typename Kind>
  bool Remove(int number) {
    if (!Find<Kind>(number)) return false;
    objects_.erase(number);
    return true;
  }

  void Clear() { objects_.clear(); }
  std::size_t Count() const { return objects_.size(); }

 private:
  std::map<int, std::unique_ptr<THandleObject>> objects_;
};

// Converts a handle argument to its number; reports "Invalid Handle" and answers false when the text is no
// number.
bool HandleArgument(TTarnwickBasic& library, const std::string& text, int& number);

}  // namespace tw
