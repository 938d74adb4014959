// msgbox through a recording host.

#include <utility>
#include <vector>

#include "interpreter/builtin_test_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunScript;

// Also records the kind and buttons of every message box.
class MessageHost : public test::RecordingHost {
 public:
  std::vector<std::pair<MessageKind, MessageButtons>> Shapes;
  bool ShowMessage(std::string_view text, MessageKind kind, MessageButtons buttons) override {
    Shapes.emplace_back(kind, buttons);
    return RecordingHost::ShowMessage(text, kind, buttons);
  }
};

TEST(MessageBox, ShowsTheTextAndAnswersWithTheChoice) {
  MessageHost host;
  host.MessageAnswers = {true, false, true, false};
  auto run = RunScript(
      "print msgbox(\"Hello\")\nprint msgbox(\"Careful\", 1)\nprint msgbox(\"Sure?\", 4, 2)\n"
      "msgbox(\"Failed \" + 3, 2, 1)",
      &host);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(run.Output, "1\n0\n1\n");
  EXPECT_EQ(host.Messages, (std::vector<std::string>{"Hello", "Careful", "Sure?", "Failed 3"}));
  using K = MessageKind;
  using B = MessageButtons;
  EXPECT_EQ(host.Shapes, (std::vector<std::pair<K, B>>{{K::Information, B::OkCancel},
                                                       {K::Warning, B::OkCancel},
                                                       {K::Confirmation, B::YesNo},
                                                       {K::Error, B::OkCancel}}));
}

TEST(MessageBox, BadArgumentsShowNothing) {
  const char* scripts[] = {
      "x = msgbox(\"\")",        "x = msgbox(\"t\", 0)",     "x = msgbox(\"t\", 5)",
      "x = msgbox(\"t\", 3, 0)", "x = msgbox(\"t\", 3, 3)",  "x = msgbox(\"t\", \"info\")",
  };
  for (const char* script : scripts) {
    MessageHost host;
    auto run = RunScript(script, &host);
    ASSERT_EQ(run.Errors.size(), 1u) << script;
    EXPECT_EQ(run.Errors[0], ErrorAt("Invalid Value", 1)) << script;
    EXPECT_TRUE(host.Messages.empty()) << script;
  }
  MessageHost host;
  auto run = RunScript("noerror(1)\nprint msgbox(\"\")", &host);
  EXPECT_EQ(run.Output, "0\n");
}

TEST(MessageBox, SyntaxCheckShowsNothing) {
  MessageHost host;
  auto values = test::GlobalsAfterCheck("_global.answer = msgbox(\"Hello\", 9)", host);
  EXPECT_EQ(values["_global.answer"], "Integer:0");
  EXPECT_TRUE(host.Messages.empty());
  EXPECT_TRUE(host.ScriptErrors.empty());
}

}  // namespace
}  // namespace tw
