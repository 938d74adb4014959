#pragma once
// The file attributes of the Windows design on a Linux file system:
//   R  the owner may not write (setting R clears the owner's write bit, clearing R sets it);
//   H  the name starts with "." (follows from the name, so it cannot be set);
//   D  a folder (follows from the kind, so it cannot be set);
//   S, A  have no Linux bit and live in the extended attribute "user.DOSATTRIB" as hex text
//         ("0x20"), the form file servers for Windows clients use, so both sides see the same.

#include <optional>
#include <string>
#include <string_view>

namespace tw {

enum FileAttribute : unsigned {
  kAttributeReadOnly = 0x01,
  kAttributeHidden = 0x02,
  kAttributeSystem = 0x04,
  kAttributeDirectory = 0x10,
  kAttributeArchive = 0x20,
};

// Something that is not a folder exists at path (links followed): a file, also a device or a pipe. What
// fileexists answers, and what the functions that wait for a file wait for.
bool ExistsAsFile(const std::string& path);

// The attributes of path (links followed); nothing when it cannot be examined (errno says why).
std::optional<unsigned> ReadFileAttributes(const std::string& path);
// Makes R, S and A of path exactly as in attributes; H and D are ignored. False when the file is
// missing or the file system refuses a part (then the owner's write bit is left as it was).
bool WriteFileAttributes(const std::string& path, unsigned attributes);

// "R,H,S,D,A" for the set attributes, in that order; "" for none.
std::string AttributeLetters(unsigned attributes);
// Letters separated by ","; each item trimmed and taken in any letter case; others ignored.
unsigned ParseAttributeLetters(std::string_view letters);

// Gives the open file `to` the stored attributes (S, A) of the open file `from`, as a copy keeps them; where
// either file system has no extended attributes the copy goes without them.
void CopyStoredFileAttributes(int from, int to);

// The attribute value kept in user.DOSATTRIB: the hex number its text starts with.
std::optional<unsigned> ParseDosAttributeValue(std::string_view stored);

}  // namespace tw
