#include "port/registry.h"

#include <array>

namespace tw::port {

namespace {

constexpr std::array<std::string_view, 4> kRootNames = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                        "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

}  // namespace

std::string_view RegistryRootName(RegistryRoot root) { return kRootNames[static_cast<std::size_t>(root)]; }

std::optional<RegistryRoot> RegistryRootNamed(std::string_view name) {
  for (std::size_t i = 0; i < kRootNames.size(); ++i)
    if (kRootNames[i] == name) return static_cast<RegistryRoot>(i);
  return std::nullopt;
}

RegistryValue RegistryValue::String(std::string text) {
  return {static_cast<std::uint32_t>(RegistryType::String), std::move(text)};
}

RegistryValue RegistryValue::DWord(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xff);
  return {static_cast<std::uint32_t>(RegistryType::DWord), std::move(bytes)};
}

RegistryValue RegistryValue::Binary(std::string bytes) {
  return {static_cast<std::uint32_t>(RegistryType::Binary), std::move(bytes)};
}

std::uint32_t RegistryValue::dword() const {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  return number;
}

std::string RegistryTypeName(std::uint32_t type) {
  switch (static_cast<RegistryType>(type)) {
    case RegistryType::String: return "string";
    case RegistryType::ExpandString: return "expandable string";
    case RegistryType::Binary: return "binary";
    case RegistryType::DWord: return "double word";
  }
  return "type " + std::to_string(type);
}

std::optional<std::vector<std::string_view>> SplitRegistryPath(std::string_view path) {
  if (path.starts_with('\\')) path.remove_prefix(1);
  if (path.ends_with('\\')) path.remove_suffix(1);
  std::vector<std::string_view> names;
  if (path.empty()) return names;
  for (;;) {
    const std::size_t cut = path.find('\\');
    const std::string_view name = path.substr(0, cut);
    if (name.empty()) return std::nullopt;
    names.push_back(name);
    if (cut == std::string_view::npos) return names;
    path.remove_prefix(cut + 1);
  }
}

}  // namespace tw::port
