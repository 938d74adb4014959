#pragma once
// The operating system's file and directory calls that the file functions and the file table make.
// Everything here is a seam: a port to another system replaces file_system.cpp and keeps this header.

#include <string>

namespace tw {

// True for a symbolic link that someone else planted in a shared folder (sticky and writable by all,
// like /tmp): owned neither by this user nor by the folder's owner. Following such a link would let that
// someone choose which of this user's files gets written.
bool IsPlantedLink(const std::string& path);

// Where text written to path should go: a symbolic link stays a link and its target is replaced. Throws
// ScriptFailure for a planted link (IsPlantedLink) anywhere along the chain, and for a loop of links.
std::string ReplacementTarget(const std::string& path);

}  // namespace tw
