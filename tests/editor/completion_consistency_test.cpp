// The completion list the build generates from the language reference covers the language: it loads every
// name of the reference, and every word the highlighter or the Commands/Functions menu knows completes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "commands/tarnwick_basic.h"
#include "editor/command_menu.h"
#include "editor/completion_list.h"
#include "files/file_text.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"

namespace tw::editor {
namespace {

const std::string kGenerated = TW_REFERENCE_DIR;

// The names of reference.json: one "name" field per line as the generator writes it.
std::vector<std::string> ReferenceNames() {
  std::vector<std::string> names;
  const std::string text = ReadWholeFile(kGenerated + "/reference.json").value_or("");
  constexpr std::string_view kField = "\"name\": \"";
  for (const std::string_view line : SplitLines(text)) {
    const std::size_t at = line.find(kField);
    if (at == std::string_view::npos) continue;
    const std::string_view rest = line.substr(at + kField.size());
    names.emplace_back(rest.substr(0, rest.find('"')));
  }
  return names;
}

TEST(GeneratedCompletionList, LoadsEveryNameOfTheReferenceWithItsGuideAndTemplate) {
  const CompletionList list = CompletionList::Load(kGenerated + "/TWS.ACP");
  const std::vector<std::string> names = ReferenceNames();
  ASSERT_GT(names.size(), 200u);
  EXPECT_EQ(list.Entries().size(), names.size() + 1) << "a heading entry and one entry per name";
  EXPECT_EQ(list.IndexOf(list.Entries().front().keyword), 0u);
  for (const std::string& name : names) {
    const std::optional<std::size_t> index = list.IndexOf(name);
    ASSERT_TRUE(index) << name;
    EXPECT_GT(*index, 0u) << name << " would get no guide as the list's first entry";
    const CompletionEntry& entry = list.Entries()[*index];
    EXPECT_FALSE(entry.heading.empty()) << name;
    EXPECT_FALSE(entry.body.empty()) << name;
    ASSERT_FALSE(entry.templateLines.empty()) << name;
    EXPECT_TRUE(entry.templateLines.front().starts_with(name)) << name << ": " << entry.templateLines.front();
  }
}

TEST(GeneratedCompletionList, EveryKeywordOfTheInterpreterAndOfTheMenuCompletes) {
  const CompletionList list = CompletionList::Load(kGenerated + "/TWS.ACP");
  test::RecordingHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic library{host, desktop};
  std::istringstream keywords(library.GetKeywords() + " _delay _endoncancel ");
  int count = 0;
  for (std::string word; keywords >> word; ++count)
    EXPECT_TRUE(ExpandWordBeforeCaret(list, word, "\n")) << word << " of GetKeywords()";
  EXPECT_GT(count, 150);
  for (const CommandMenuGroup& group : ParseCommandMenu(CommandMenuLines())) {
    for (const CommandMenuItem& item : group.items) {
      if (item.IsSeparator()) continue;
      EXPECT_NE(list.Find(item.keyword), nullptr) << item.caption << " in " << group.caption;
    }
  }
}

}  // namespace
}  // namespace tw::editor
