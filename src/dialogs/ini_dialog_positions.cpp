#include "dialogs/ini_dialog_positions.h"

#include <stdexcept>

#include "interpreter/ini_file.h"
#include "interpreter/number_text.h"

namespace tw {

namespace {
constexpr std::string_view kSection = "DialogPosition";
}

std::optional<int> IniDialogPositions::Read(const std::string& key) {
  try {
    const auto value = IniFile::Load(file_).Value(kSection, key);
    if (!value) return std::nullopt;
    return ParseInteger(*value);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void IniDialogPositions::Write(const std::string& keyX, int x, const std::string& keyY, int y) {
  try {
    IniFile::Update(file_, [&](IniFile& ini) {
      ini.WriteInteger(kSection, keyX, x);
      ini.WriteInteger(kSection, keyY, y);
    });
  } catch (const std::exception&) {
  }
}

}  // namespace tw
