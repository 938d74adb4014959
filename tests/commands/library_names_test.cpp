// Every library name reaches the handler of its group.

#include <gtest/gtest.h>

#include <set>

#include "commands/library_support.h"

namespace tw {
namespace {

using test::RecordingHost;

TEST(LibraryNames, TheListsHoldEveryNameOnce) {
  std::set<std::string_view> names;
  for (const auto& f : kLibraryFunctions) names.insert(f.Name);
  for (const auto& c : kLibraryCommands) names.insert(c.Name);
  for (const auto& b : kLibraryBlocks) names.insert(b.Start);
  EXPECT_EQ(names.size(), 98u + 12u + 4u);
  EXPECT_EQ(kLibraryFunctions.front().Name, "rtftotext");
  EXPECT_EQ(kLibraryFunctions.back().Name, "waitforfile");
  EXPECT_EQ(kLibraryCommands.front().Name, "send");
  EXPECT_EQ(kLibraryCommands.back().Name, "mouserestore");
}

TEST(LibraryNames, TheLanguageKnowsThemInRegistrationOrder) {
  RecordingHost host;
  port::fake::FakeDesktop desktop;
  TTarnwickBasic library(host, desktop);
  const std::string all = library.GetAllCommands();
  EXPECT_NE(all.find("end\r\nsend\r\ncapslock\r\nnumlock\r\nsyscmd\r\nexecute\r\ncall\r\nsysbreak\r\npause\r\n"
                     "beep\r\nprompt\r\nmousesave\r\nmouserestore\r\n\r\nFUNCTIONS:"),
            std::string::npos);
  EXPECT_NE(all.find("version\r\nrtftotext\r\npdfcontrol\r\nregopen\r\n"), std::string::npos);
  EXPECT_EQ(library.GetVersion(), "T304.b124");
  EXPECT_NE(library.GetKeywords().find(" text  endtext "), std::string::npos);
}

// Calls each name in a syntax check: a name whose group is built reads its arguments and acts on
// nothing; a name whose group is not built yet says so, naming itself. Every block word is built.
TEST(LibraryNames, EachNameReachesItsGroup) {
  auto call = [](const std::string& name, bool isFunction) {
    RecordingHost host;
    port::fake::FakeDesktop desktop;
    std::string script = isFunction ? "x = " + name + "()" : name;
    auto run = test::RunOnFakeDesktop(script, desktop, host, true);
    EXPECT_TRUE(desktop.log().empty()) << name;
    return run.Errors;
  };
  const std::set<CommandGroup> built{CommandGroup::System, CommandGroup::Keys, CommandGroup::Windows,
                                     CommandGroup::RegistryAndDatabase, CommandGroup::Conversations,
                                     CommandGroup::Internet, CommandGroup::TextAndDialogs,
                                     CommandGroup::FilesAndMessages};
  for (const auto& f : kLibraryFunctions) {
    auto errors = call(std::string(f.Name), true);
    const std::string unavailable = "The function " + std::string(f.Name) + "() is not available in this version";
    const bool reportedUnavailable = errors.size() == 1 && errors[0].find(unavailable) != std::string::npos;
    if (built.count(f.Group))
      EXPECT_FALSE(reportedUnavailable) << f.Name << " in group " << GroupName(f.Group);
    else
      EXPECT_TRUE(reportedUnavailable) << f.Name << " in group " << GroupName(f.Group);
  }
  for (const auto& c : kLibraryCommands) {
    auto errors = call(std::string(c.Name), false);
    const bool reportedUnavailable =
        errors.size() == 1 && errors[0].find("The command " + std::string(c.Name) + " is not available") != std::string::npos;
    EXPECT_EQ(reportedUnavailable, !built.count(c.Group)) << c.Name;
  }
  for (const auto& b : kLibraryBlocks) {
    auto errors = call(std::string(b.Start) + " v\nignored\n" + std::string(b.End), false);
    EXPECT_TRUE(errors.empty()) << b.Start << ": " << (errors.empty() ? "" : errors[0]);
  }
}

}  // namespace
}  // namespace tw
