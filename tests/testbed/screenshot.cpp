#include "screenshot.h"

#include <fstream>
#include <stdexcept>

namespace tw::testbed {

Picture readPpm(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  Picture picture;
  in >> magic >> picture.width >> picture.height >> maxValue;
  in.get();
  if (!in || picture.width <= 0 || picture.height <= 0) return {};
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
  in.read(picture.pixels.data(), static_cast<std::streamsize>(picture.pixels.size()));
  if (magic != "P6" || maxValue != 255 || !in) picture = {};
  return picture;
}

Picture screenshot(TestBed& bed, unsigned long window, const std::string& name,
                   const std::filesystem::path& artifacts) {
  std::filesystem::create_directories(artifacts);
  const std::filesystem::path png = artifacts / (name + ".png");
  const std::filesystem::path ppm = bed.dir() / (name + ".ppm");
  for (const auto& argv : {std::vector<std::string>{"import", "-window", std::to_string(window), "-frame",
                                                    png.string()},
                           std::vector<std::string>{"import", "-window", std::to_string(window), "-depth", "8",
                                                    ppm.string()}}) {
    if (bed.launch(argv).waitForExit(kPatience) != 0) throw std::runtime_error("import failed for " + name);
  }
  return readPpm(ppm);
}

}  // namespace tw::testbed
