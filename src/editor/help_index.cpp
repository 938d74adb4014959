#include "editor/help_index.h"

#include <stdexcept>

#include "editor/word_at_caret.h"
#include "files/file_text.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw::editor {

namespace {

// The generator escapes text for HTML; these are the escapes it writes.
std::string Unescaped(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEscapes[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#x27;", '\''}};
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    for (const auto& [escape, character] : kEscapes)
      if (text.substr(at, escape.size()) == escape) {
        out += character;
        at += escape.size();
        escaped = true;
        break;
      }
    if (!escaped) out += text[at++];
  }
  return out;
}

// The text between `open` and `close` from `at` on, moving `at` past it; nothing when either is missing.
std::optional<std::string_view> Between(std::string_view text, std::string_view open, std::string_view close,
                                        std::size_t& at) {
  const std::size_t start = text.find(open, at);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t end = text.find(close, start + open.size());
  if (end == std::string_view::npos) return std::nullopt;
  at = end + close.size();
  return text.substr(start + open.size(), end - start - open.size());
}

// Every row of the index: <li><a href="PAGE#ANCHOR">NAME</a> <span class="kind">KIND</span>...</li>
std::vector<HelpTopic> ReadTopics(std::string_view html) {
  std::vector<HelpTopic> topics;
  std::size_t at = 0;
  while (const auto row = Between(html, "<li>", "</li>", at)) {
    std::size_t inRow = 0;
    const auto link = Between(*row, "<a href=\"", "\">", inRow);
    const auto name = link ? Between(*row, "", "</a>", inRow) : std::nullopt;
    if (!name) continue;
    HelpTopic topic;
    const std::size_t hash = link->find('#');
    topic.page = Unescaped(link->substr(0, hash));
    if (hash != std::string_view::npos) topic.anchor = Unescaped(link->substr(hash + 1));
    topic.name = Unescaped(*name);
    if (const auto kind = Between(*row, "<span class=\"kind\">", "</span>", inRow)) topic.kind = Unescaped(*kind);
    topics.push_back(std::move(topic));
  }
  return topics;
}

}  // namespace

std::optional<HelpIndex> HelpIndex::Load(const std::string& folder, std::string& error) {
  HelpIndex index;
  index.folder_ = WithTrailingSlash(folder);
  const std::string names = index.folder_ + std::string(kNamesPage);
  try {
    const std::optional<std::string> html = ReadWholeFile(names);
    if (!html) {
      error = "The language reference's index \"" + names + "\" is not there.";
      return std::nullopt;
    }
    index.topics_ = ReadTopics(*html);
  } catch (const std::runtime_error& failure) {
    error = failure.what();
    return std::nullopt;
  }
  if (index.topics_.empty()) {
    error = "The language reference's index \"" + names + "\" lists no names.";
    return std::nullopt;
  }
  return index;
}

HelpLookup HelpIndex::Lookup(std::string_view text) const {
  text = Trimmed(text);
  text = text.substr(0, text::SkipCharacters(text, 0, kMaxWordLength));
  HelpLookup lookup;
  if (text.empty()) return lookup;
  for (const HelpTopic& topic : topics_)
    if (EqualsIgnoringAsciiCase(topic.name, text)) {
      lookup.show = HelpLookup::Show::Topic;
      lookup.topic = &topic;
      return lookup;
    }
  lookup.show = HelpLookup::Show::Index;
  lookup.filter = std::string(text);
  return lookup;
}

std::vector<const HelpTopic*> HelpIndex::Filtered(std::string_view filter) const {
  const std::string lowered = LowerAscii(filter);
  std::vector<const HelpTopic*> found;
  for (const HelpTopic& topic : topics_)
    if (LowerAscii(topic.name).find(lowered) != std::string::npos) found.push_back(&topic);
  return found;
}

std::vector<std::string> ReferenceFolderCandidates() {
  std::vector<std::string> candidates;
  if (const std::string program = ProgramFolder(); !program.empty()) candidates.push_back(program + "reference/");
  for (const std::string& data : SystemDataFolders()) candidates.push_back(data + "doc/tarnwick/reference/");
  return candidates;
}

std::string FindReferenceFolder() {
  for (const std::string& folder : ReferenceFolderCandidates())
    if (IsRegularFile(folder + std::string(HelpIndex::kNamesPage))) return folder;
  return "";
}

std::string HelpWord(std::string_view selection, std::string_view line, std::size_t caret) {
  if (!Trimmed(selection).empty()) return std::string(selection);
  return std::string(WordAtCaret(line, caret));
}

}  // namespace tw::editor
