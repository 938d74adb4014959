#pragma once
// The folders a script can ask for, as this platform has them, and the few path helpers the file
// functions share. Where the Windows design names a drive root as a default, we use the home folder.

#include <string>
#include <string_view>

namespace tw {

// path followed by "/" unless it already ends with one; "" stays "".
std::string WithTrailingSlash(std::string path);
// The folder part of a file name: everything up to and including its last "/"; "" when none.
std::string_view FolderPart(std::string_view file);
// The name after the last "/".
std::string_view NamePart(std::string_view file);

// The user's home folder ($HOME, else the password database, else "/"), with a trailing "/".
// It stands in for "c:\" wherever the Windows design uses that as a default.
std::string HomeFolder();
// The folder of the running program file, with a trailing "/"; "" when the system cannot tell.
std::string ProgramFolder();
// $TMPDIR when set, else /tmp, with a trailing "/".
std::string TemporaryFolder();
// The working folder when the program started; relative script names are taken from there.
const std::string& StartFolder();

}  // namespace tw
