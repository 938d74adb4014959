// Builds the schedule of the catalogue at a script path, as "Start Schedule" does, and prints how many
// entries it made.
#include <cstdio>
#include <string>

#include "catalogue/folder_tree.h"
#include "catalogue/schedule.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: build_schedule SCRIPT_PATH\n");
    return 2;
  }
  std::string path = argv[1];
  if (!path.ends_with('/')) path += '/';
  const tw::SystemScheduleClock clock;
  const auto entries = tw::BuildSchedule(tw::ReadFolderTree(path), path, clock, [](const std::string&) {});
  std::printf("%zu\n", entries.size());
  return 0;
}
