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

namespace {

// `window` as import takes it: a window id, or "root" for the whole screen. `withFrame` keeps the window
// manager's frame in the PNG.
Picture Grab(TestBed& bed, const std::string& window, bool withFrame, const std::string& name,
             const std::filesystem::path& artifacts) {
  std::filesystem::create_directories(artifacts);
  const std::filesystem::path png = artifacts / (name + ".png");
  const std::filesystem::path ppm = bed.dir() / (name + ".ppm");
  std::vector<std::string> keep{"import", "-window", window};
  if (withFrame) keep.emplace_back("-frame");
  keep.push_back(png.string());
  for (const auto& argv : {keep, std::vector<std::string>{"import", "-window", window, "-depth", "8", ppm.string()}}) {
    if (bed.launch(argv).waitForExit(kPatience) != 0) throw std::runtime_error("import failed for " + name);
  }
  return readPpm(ppm);
}

}  // namespace

Picture screenshot(TestBed& bed, unsigned long window, const std::string& name,
                   const std::filesystem::path& artifacts) {
  return Grab(bed, std::to_string(window), true, name, artifacts);
}

Picture screenshotOfScreen(TestBed& bed, const std::string& name, const std::filesystem::path& artifacts) {
  return Grab(bed, "root", false, name, artifacts);
}

}  // namespace tw::testbed
