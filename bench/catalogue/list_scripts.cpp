// Lists one folder of the catalogue through the model, as the main window does, and prints how many scripts
// it listed. Usage: list_scripts FOLDER
#include <cstdio>
#include <string>

#include "catalogue/catalogue.h"

namespace {

class SilentUser : public tw::CatalogueUser {
 public:
  void Warning(const std::string& text) override { std::fprintf(stderr, "warning: %s\n", text.c_str()); }
  void Error(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
  bool Confirm(const std::string&) override { return false; }
  std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: list_scripts FOLDER\n", stderr);
    return 2;
  }
  SilentUser user;
  tw::Catalogue catalogue(user, argv[1]);
  catalogue.ListFolderScripts("");
  std::printf("%zu\n", catalogue.Items().size());
  return 0;
}
