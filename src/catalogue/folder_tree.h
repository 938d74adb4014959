#pragma once
// The folders of the catalogue as a tree read from the disk. Every node knows its path relative to the
// script path, so that a folder is reached by where it is, not by its name: "A/X" and a first-level "X"
// are two different folders.

#include <string>
#include <vector>

namespace tw {

struct FolderNode {
  std::string text;          // the folder's name as found on disk
  std::string relativePath;  // "/"-separated below the script path, no trailing "/"; "" for the root
  std::vector<FolderNode> children;  // in alphabetical order
};

// The tree below scriptPath (which must exist). Folders whose name begins with "." are hidden, as
// everywhere on this system; a folder reached again through a symbolic link is not entered twice.
FolderNode ReadFolderTree(const std::string& scriptPath);

// The nodes root first, each followed by its children: the order listings and the schedule walk.
std::vector<const FolderNode*> InTreeOrder(const FolderNode& root);

// The node with that relative path; nullptr when there is none.
const FolderNode* FindFolder(const FolderNode& root, const std::string& relativePath);

// Text ordering for names people read: letter case aside, then bytes.
bool AlphabeticallyBefore(const std::string& a, const std::string& b);

}  // namespace tw
