#include "interpreter/file_attributes.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>

#include "text/ascii_text.h"

namespace tw {

namespace {

constexpr const char* kDosAttributeName = "user.DOSATTRIB";
constexpr unsigned kStoredAttributes = kAttributeSystem | kAttributeArchive;

struct LetterBit {
  char Letter;
  unsigned Bit;
};
constexpr LetterBit kLetters[] = {{'R', kAttributeReadOnly},  {'H', kAttributeHidden},
                                  {'S', kAttributeSystem},    {'D', kAttributeDirectory},
                                  {'A', kAttributeArchive}};

// The last name of the path, ignoring trailing "/".
std::string_view LastName(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsHiddenName(std::string_view path) {
  const std::string_view name = LastName(path);
  return name.size() > 1 && name[0] == '.' && name != "..";
}

std::optional<unsigned> StoredAttributes(const std::string& path) {
  char value[256];
  const ssize_t size = ::getxattr(path.c_str(), kDosAttributeName, value, sizeof value);
  if (size <= 0) return std::nullopt;
  return ParseDosAttributeValue(std::string_view(value, static_cast<std::size_t>(size)));
}

}  // namespace

void CopyStoredFileAttributes(int from, int to) {
  char stored[256];
  const ssize_t size = ::fgetxattr(from, kDosAttributeName, stored, sizeof stored);
  if (size > 0) ::fsetxattr(to, kDosAttributeName, stored, static_cast<std::size_t>(size), 0);
}

std::optional<unsigned> ParseDosAttributeValue(std::string_view stored) {
  if (stored.size() < 3 || stored[0] != '0' || (stored[1] != 'x' && stored[1] != 'X')) return std::nullopt;
  unsigned value = 0;
  std::size_t digits = 0;
  for (std::size_t i = 2; i < stored.size() && digits < 8; ++i, ++digits) {
    const char c = stored[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else break;
    value = value << 4 | digit;
  }
  if (digits == 0) return std::nullopt;
  return value;
}

bool ExistsAsFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::optional<unsigned> ReadFileAttributes(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  unsigned attributes = 0;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
  if (IsHiddenName(path)) attributes |= kAttributeHidden;
  if (S_ISDIR(info.st_mode)) attributes |= kAttributeDirectory;
  if (std::optional<unsigned> stored = StoredAttributes(path)) attributes |= *stored & kStoredAttributes;
  return attributes;
}

bool WriteFileAttributes(const std::string& path, unsigned attributes) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  const mode_t mode = info.st_mode & 07777;
  const mode_t wantedMode =
      (attributes & kAttributeReadOnly) ? (mode & ~mode_t{S_IWUSR}) : (mode | S_IWUSR);

  const unsigned stored = attributes & kStoredAttributes;
  const bool present = ::getxattr(path.c_str(), kDosAttributeName, nullptr, 0) >= 0;
  mode_t current = mode;
  if (stored != 0 || present) {
    // Changing user attributes needs write permission, so a read-only file is opened up for
    // the moment of the change.
    if ((mode & S_IWUSR) == 0 && ::chmod(path.c_str(), mode | S_IWUSR) == 0) current = mode | S_IWUSR;
    bool ok;
    if (stored != 0) {
      unsigned full = stored | (attributes & kAttributeReadOnly);
      if (IsHiddenName(path)) full |= kAttributeHidden;
      if (S_ISDIR(info.st_mode)) full |= kAttributeDirectory;
      char text[16];
      const int length = std::snprintf(text, sizeof text, "0x%x", full);
      // With its terminating NUL, as the servers write it.
      ok = ::setxattr(path.c_str(), kDosAttributeName, text, static_cast<std::size_t>(length) + 1, 0) == 0;
    } else {
      ok = ::removexattr(path.c_str(), kDosAttributeName) == 0 || errno == ENODATA;
    }
    if (!ok) {
      if (current != mode) ::chmod(path.c_str(), mode);
      return false;
    }
  }
  return wantedMode == current || ::chmod(path.c_str(), wantedMode) == 0;
}

std::string AttributeLetters(unsigned attributes) {
  std::string letters;
  for (const LetterBit& item : kLetters) {
    if (!(attributes & item.Bit)) continue;
    if (!letters.empty()) letters += ',';
    letters += item.Letter;
  }
  return letters;
}

unsigned ParseAttributeLetters(std::string_view letters) {
  unsigned attributes = 0;
  for (;;) {
    const std::size_t comma = letters.find(',');
    const std::string_view item = Trimmed(letters.substr(0, comma));
    if (item.size() == 1) {
      const char upper = UpperAsciiChar(item[0]);
      for (const LetterBit& bit : kLetters)
        if (bit.Letter == upper) attributes |= bit.Bit;
    }
    if (comma == std::string_view::npos) break;
    letters.remove_prefix(comma + 1);
  }
  return attributes;
}

}  // namespace tw
