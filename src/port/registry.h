#pragma once
// The settings store that stands in for the Windows registry: four root trees of keys, each key holding
// named values of a type.
//
// A key is named by its root and a path below it: key names separated by "\", where a leading "\" and an
// empty path name the root itself. Key and value names compare without letter case and keep the case they
// were first written in. The value named "" is the key's default value.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tw::port {

enum class RegistryRoot : std::uint8_t { ClassesRoot, CurrentUser, LocalMachine, Users };

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS".
std::string_view RegistryRootName(RegistryRoot root);
// The root of exactly one of those names (letter case matters); nullopt for any other text.
std::optional<RegistryRoot> RegistryRootNamed(std::string_view name);

// Value types, numbered as the Windows registry numbers them, so stored values keep their meaning.
enum class RegistryType : std::uint32_t { String = 1, ExpandString = 2, Binary = 3, DWord = 4 };

struct RegistryValue {
  // A RegistryType, or another type number whose data is kept as bytes.
  std::uint32_t type = static_cast<std::uint32_t>(RegistryType::String);
  // The text of the two string types; the bytes of every other type (a double word: 4 bytes, little-endian).
  std::string data;

  static RegistryValue String(std::string text);
  static RegistryValue DWord(std::uint32_t number);
  static RegistryValue Binary(std::string bytes);
  bool is(RegistryType wanted) const { return type == static_cast<std::uint32_t>(wanted); }
  // The number of a DWord value (its 4 bytes; shorter data reads as zeros).
  std::uint32_t dword() const;

  bool operator==(const RegistryValue&) const = default;
};

// "string", "expandable string", "binary", "double word", or "type N" for other numbers.
std::string RegistryTypeName(std::uint32_t type);

// The key names of a path, without the leading "\"; nullopt when a name inside it is empty ("a\\b") and
// so cannot name a key. A trailing "\" is allowed.
std::optional<std::vector<std::string_view>> SplitRegistryPath(std::string_view path);

// The store could not be read or written at all (its file cannot be opened, is damaged, stays locked); what()
// says so in words a script's user can act on.
class RegistryFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // True when the key exists; with create, the missing keys along the path are made first.
  virtual bool openKey(RegistryRoot root, std::string_view path, bool create) = 0;
  // Deletes the key with every key and value below it; false when it does not exist. Roots stay.
  virtual bool deleteKey(RegistryRoot root, std::string_view path) = 0;
  // False when the key or the value does not exist.
  virtual bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name) = 0;
  // nullopt when the key or the value does not exist.
  virtual std::optional<RegistryValue> readValue(RegistryRoot root, std::string_view key,
                                                 std::string_view name) = 0;
  // Creates or replaces the value (a replaced value keeps the letter case of its name); false when the key
  // does not exist (for instance because it was deleted since it was opened).
  virtual bool writeValue(RegistryRoot root, std::string_view key, std::string_view name,
                          const RegistryValue& value) = 0;
};

}  // namespace tw::port
