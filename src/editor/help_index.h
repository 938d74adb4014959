#pragma once
// The language reference as the editor's help uses it: its HTML folder, the index of names the generator
// writes there (names.html: each name linked to its page and anchor), and the lookup of a word in it. The
// help window shows what a lookup decides.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::editor {

struct HelpTopic {
  std::string name;    // as the reference spells it
  std::string page;    // file in the reference folder
  std::string anchor;  // "" for the top of the page
  std::string kind;    // what it is and its group, as the index says
};

// What the help shows for a word: the contents (no word), one topic (the word names one), or the index
// filtered by the word (it names none).
struct HelpLookup {
  enum class Show { Contents, Topic, Index };
  Show show = Show::Contents;
  const HelpTopic* topic = nullptr;  // for Show::Topic
  std::string filter;                // for Show::Index
};

class HelpIndex {
 public:
  static constexpr std::string_view kContentsPage = "index.html";
  static constexpr std::string_view kNamesPage = "names.html";
  // Words looked up are cut to this many characters.
  static constexpr std::size_t kMaxWordLength = 100;

  // Reads the index of names in `folder`. Nothing, with `error` saying why, when it cannot be read or lists
  // no names.
  static std::optional<HelpIndex> Load(const std::string& folder, std::string& error);

  const std::string& Folder() const { return folder_; }  // with a trailing "/"
  const std::vector<HelpTopic>& Topics() const { return topics_; }

  // `text` trimmed and cut to kMaxWordLength characters, compared without letter case.
  HelpLookup Lookup(std::string_view text) const;
  // The topics whose names contain `filter`, without letter case; every topic for "".
  std::vector<const HelpTopic*> Filtered(std::string_view filter) const;

 private:
  std::string folder_;
  std::vector<HelpTopic> topics_;
};

// The reference's HTML folder: a copy beside the program (portable use; the build tree has one), else the
// installed one in the system's data folders (<data>/doc/tarnwick/reference/). "" when there is none.
std::string FindReferenceFolder();
// Where FindReferenceFolder looks, in its order.
std::vector<std::string> ReferenceFolderCandidates();

// The word help is asked for: the selection when there is one, else the word at the caret.
std::string HelpWord(std::string_view selection, std::string_view line, std::size_t caret);

}  // namespace tw::editor
