// Test helper: writes its whole command line, each argument followed by a NUL byte, to the file named by
// TW_ARGV_RECORD (written beside it and renamed, so a reader never sees half of it).

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const char* target = std::getenv("TW_ARGV_RECORD");
  if (!target) return 2;
  const std::string partial = std::string(target) + ".partial";
  std::FILE* out = std::fopen(partial.c_str(), "wb");
  if (!out) return 3;
  for (int i = 0; i < argc; ++i) std::fwrite(argv[i], 1, std::string(argv[i]).size() + 1, out);
  if (std::fclose(out) != 0) return 4;
  return std::rename(partial.c_str(), target) == 0 ? 0 : 5;
}
