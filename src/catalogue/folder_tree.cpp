#include "catalogue/folder_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

using FolderIdentity = std::pair<dev_t, ino_t>;

void ReadChildren(FolderNode& node, const std::string& directory, std::set<FolderIdentity>& above) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with('.')) continue;
    const std::string path = directory + name;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    // A link back to a folder above this one would make the tree endless.
    const FolderIdentity identity{info.st_dev, info.st_ino};
    if (above.count(identity)) continue;
    FolderNode child{name, node.relativePath.empty() ? name : node.relativePath + "/" + name, {}};
    above.insert(identity);
    ReadChildren(child, path + "/", above);
    above.erase(identity);
    node.children.push_back(std::move(child));
  }
  std::sort(node.children.begin(), node.children.end(),
            [](const FolderNode& a, const FolderNode& b) { return AlphabeticallyBefore(a.text, b.text); });
}

void Collect(const FolderNode& node, std::vector<const FolderNode*>& out) {
  out.push_back(&node);
  for (const FolderNode& child : node.children) Collect(child, out);
}

}  // namespace

bool AlphabeticallyBefore(const std::string& a, const std::string& b) {
  const std::string upperA = UpperAscii(a);
  const std::string upperB = UpperAscii(b);
  return upperA != upperB ? upperA < upperB : a < b;
}

FolderNode ReadFolderTree(const std::string& scriptPath) {
  std::string withoutSlash = scriptPath;
  while (withoutSlash.size() > 1 && withoutSlash.back() == '/') withoutSlash.pop_back();
  FolderNode root{std::string(NamePart(withoutSlash)), "", {}};
  if (root.text.empty()) root.text = withoutSlash;  // the file system's root folder
  std::set<FolderIdentity> above;
  struct stat info {};
  if (::stat(withoutSlash.c_str(), &info) == 0) above.insert({info.st_dev, info.st_ino});
  ReadChildren(root, WithTrailingSlash(withoutSlash), above);
  return root;
}

std::vector<const FolderNode*> InTreeOrder(const FolderNode& root) {
  std::vector<const FolderNode*> nodes;
  Collect(root, nodes);
  return nodes;
}

const FolderNode* FindFolder(const FolderNode& root, const std::string& relativePath) {
  if (relativePath.empty()) return &root;
  const FolderNode* node = &root;
  std::size_t at = 0;
  while (node && at <= relativePath.size()) {
    const std::size_t slash = std::min(relativePath.find('/', at), relativePath.size());
    const std::string part = relativePath.substr(at, slash - at);
    const auto child = std::find_if(node->children.begin(), node->children.end(),
                                    [&](const FolderNode& c) { return c.text == part; });
    node = child == node->children.end() ? nullptr : &*child;
    at = slash + 1;
  }
  return node;
}

}  // namespace tw
