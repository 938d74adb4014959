#pragma once
// Screenshots of windows on a test bed: a PNG with frame and caption kept among the test artefacts for people
// to look at, and the window's own pixels for the test to check.

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

#include "test_bed.h"

namespace tw::testbed {

// An RGB picture.
struct Picture {
  int width = 0, height = 0;
  std::string pixels;
  std::tuple<int, int, int> at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {static_cast<unsigned char>(pixels[i]), static_cast<unsigned char>(pixels[i + 1]),
            static_cast<unsigned char>(pixels[i + 2])};
  }
  // Share of pixels for which `test` holds.
  template <class Test>
  double share(Test test) const {
    return shareIn(0, 0, width, height, test);
  }
  // The same within a rectangle, cut to the picture.
  template <class Test>
  double shareIn(int left, int top, int areaWidth, int areaHeight, Test test) const {
    const int right = std::min(left + areaWidth, width), bottom = std::min(top + areaHeight, height);
    left = std::max(left, 0);
    top = std::max(top, 0);
    long hits = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        auto [r, g, b] = at(x, y);
        hits += test(r, g, b) ? 1 : 0;
      }
    return right > left && bottom > top
               ? static_cast<double>(hits) / (static_cast<double>(right - left) * (bottom - top))
               : 0;
  }
};

// A binary PPM file; an empty picture when it is not one.
Picture readPpm(const std::filesystem::path& file);

// Keeps the window with its frame as `artifacts`/`name`.png and gives back the window alone (without the
// frame). Throws std::runtime_error when ImageMagick's import fails.
Picture screenshot(TestBed& bed, unsigned long window, const std::string& name,
                   const std::filesystem::path& artifacts);

// Keeps the whole screen as `artifacts`/`name`.png and gives back its pixels: for what stands over a window,
// such as its open popup menu, which a grab of the window alone leaves black.
Picture screenshotOfScreen(TestBed& bed, const std::string& name, const std::filesystem::path& artifacts);

}  // namespace tw::testbed
