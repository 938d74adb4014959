#include "dialogs/dialog_metrics.h"

#include <algorithm>

#include "text/utf8.h"

namespace tw {

port::Size DialogMetrics::DefaultSize(ControlKind kind, const DialogFont& font) const {
  const int h = TextExtent(font, "Tg").height;
  switch (kind) {
    case ControlKind::Button: return {75, 25};
    case ControlKind::CheckBox: return {97, std::max(17, h + 4)};
    case ControlKind::Radio: return {113, std::max(17, h + 4)};
    case ControlKind::Edit: return {121, h + 8};
    case ControlKind::ComboBox: return {145, h + 8};
    case ControlKind::Label: return {100, h + 2};
    case ControlKind::Memo: return {185, 89};
    case ControlKind::ListBox: return {121, 97};
    case ControlKind::Shape: return {65, 65};
    case ControlKind::Image: return {32, 32};
    case ControlKind::Countdown: break;
  }
  return {0, 0};
}

port::Size FixedDialogMetrics::TextExtent(const DialogFont& font, std::string_view text) const {
  const int size = std::max(font.Size, 1);
  const auto scaled = [size](int at10) { return std::max(1, (at10 * size + 5) / 10); };
  const auto characters = static_cast<int>(text::DecodeUtf8OrWindows1252(text).size());
  return {characters * scaled(settings_.CharWidth10), scaled(settings_.TextHeight10)};
}

const DialogMetrics& StandardDialogMetrics() {
  static const FixedDialogMetrics metrics;
  return metrics;
}

}  // namespace tw
