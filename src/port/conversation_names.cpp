#include "port/conversation_names.h"

#include <charconv>

#include "text/ascii_text.h"
#include "text/case_mapping.h"
#include "text/utf8.h"

namespace tw::port {

namespace {

// A bus name is at most 255 bytes: the prefix, the label and ".p" with up to ten digits must fit.
constexpr std::size_t kMaxLabel = 255 - 26 - 12;

}  // namespace

std::string ServiceLabel(std::string_view service) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string label;
  for (std::size_t i = 0; i < service.size(); ++i) {
    const char c = LowerAsciiChar(service[i]);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9' && i > 0);
    std::string piece = plain ? std::string(1, c)
                              : std::string{'_', kHex[static_cast<unsigned char>(c) >> 4],
                                            kHex[static_cast<unsigned char>(c) & 15]};
    if (label.size() + piece.size() > kMaxLabel) break;
    label += piece;
  }
  return label.empty() ? "_" : label;
}

std::string ProgramService(std::string_view program) {
  if (const auto slash = program.rfind('/'); slash != std::string_view::npos) program.remove_prefix(slash + 1);
  return std::string(program.substr(0, program.find('.')));
}

std::string ProcessBusName(std::string_view label, int processId) {
  return kConversationNamePrefix + std::string(label) + ".p" + std::to_string(processId);
}

std::optional<int> ProcessIdOfService(std::string_view busName, std::string_view label) {
  const std::string_view prefix = kConversationNamePrefix;
  if (!busName.starts_with(prefix)) return std::nullopt;
  busName.remove_prefix(prefix.size());
  if (busName.size() < label.size() + 3 || !SameNameIgnoringCase(busName.substr(0, label.size()), label))
    return std::nullopt;
  busName.remove_prefix(label.size());
  if (!busName.starts_with(".p")) return std::nullopt;
  busName.remove_prefix(2);
  int pid = 0;
  const auto [end, error] = std::from_chars(busName.data(), busName.data() + busName.size(), pid);
  if (error != std::errc() || end != busName.data() + busName.size() || pid <= 0) return std::nullopt;
  return pid;
}

std::string BusText(std::string_view scriptText) {
  scriptText = scriptText.substr(0, scriptText.find('\0'));
  std::string out;
  out.reserve(scriptText.size());
  for (char32_t c : text::DecodeUtf8OrWindows1252(scriptText)) {
    const bool refused = (c >= 0xfdd0 && c <= 0xfdef) || (c & 0xfffe) == 0xfffe;
    text::AppendUtf8(out, refused ? char32_t{0xfffd} : c);
  }
  return out;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a == b || text::LowerCase(a) == text::LowerCase(b);
}

}  // namespace tw::port
