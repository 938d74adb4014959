// What read.tws and copy.tws do, as a plain C++ loop over the file:
//   files_peer read FILE         counts the lines and prints the count
//   files_peer copy FILE OUTPUT  writes every line to OUTPUT followed by CR LF

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "copy") == 0 && argc < 4)) {
    std::cerr << "usage: files_peer read FILE | files_peer copy FILE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::cerr << "cannot open " << argv[2] << "\n";
    return 1;
  }
  const bool copy = std::strcmp(argv[1], "copy") == 0;
  std::ofstream out;
  if (copy) out.open(argv[3], std::ios::binary | std::ios::trunc);
  std::string line;
  long lines = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (copy) {
      out.write(line.data(), static_cast<std::streamsize>(line.size()));
      out.write("\r\n", 2);
    }
    ++lines;
  }
  if (copy) {
    out.close();
    if (!out) return 1;
  } else {
    std::printf("%ld\n", lines);
  }
  return 0;
}
