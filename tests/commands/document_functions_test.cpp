// rtftotext on files, and pdfcontrol over the SQLite settings store in a throw-away XDG_CONFIG_HOME.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "commands/library_support.h"
#include "interpreter/scratch_folder.h"
#include "port/system/sqlite_registry.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::RegistryRoot;
using port::RegistryValue;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

class DocumentFunctions : public test::ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    ::setenv("XDG_CONFIG_HOME", At("config").c_str(), 1);
    store_ = std::make_unique<port::system::SqliteRegistry>(port::system::UserRegistryFile());
    desktop_.useRegistry(*store_);
  }
  void TearDown() override {
    store_.reset();
    ::unsetenv("XDG_CONFIG_HOME");
    ScratchFolderTest::TearDown();
  }

  test::LibraryRun Run(const std::string& script, bool checkOnly = false) {
    RecordingHost host;
    return RunOnFakeDesktop(script, desktop_, host, checkOnly);
  }

  std::optional<std::string> Setting(const char* name) {
    const auto value = store_->readValue(RegistryRoot::CurrentUser, kKey, name);
    if (!value) return std::nullopt;
    EXPECT_TRUE(value->is(port::RegistryType::String)) << name;
    return value->data;
  }

  static constexpr const char* kKey = "Software\\Adobe\\Acrobat PDFWriter";
  FakeDesktop desktop_;
  std::unique_ptr<port::system::SqliteRegistry> store_;
};

TEST_F(DocumentFunctions, RtfToTextReadsFilesAndNamesWhyOneIsUnreadable) {
  Write("doc.rtf", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\par two}");
  Write("plain.txt", "not rtf\r\n");
  std::string deep = "{\\rtf1 ";
  deep.append(100000, '{');
  Write("deep.rtf", deep);
  Write("cut.rtf", "{\\rtf1 a\\bin99 b}");

  auto run = Run("print rtftotext(\"doc.rtf\"); \"|\"; rtftotext(\"plain.txt\"); \"|\"; rtftotext(\"missing.rtf\")");
  EXPECT_EQ(run.Output, "При\r\ntwo|not rtf\r\n|\n");
  EXPECT_TRUE(run.Errors.empty());

  run = Run("print \"[\"; rtftotext(\"deep.rtf\"); \"]\"");
  EXPECT_EQ(run.Errors, std::vector<std::string>{ErrorAt("RTF: groups nested more than 4096 deep at byte 4102", 1)});
  run = Run("print rtftotext(\"cut.rtf\")");
  EXPECT_EQ(run.Errors,
            std::vector<std::string>{ErrorAt("RTF: \\bin99 data at byte 15 runs past the end of the document", 1)});
  // A folder is no file: empty text, as for a missing one.
  EXPECT_EQ(Run("print \"[\"; rtftotext(\".\"); \"]\"").Output, "[]\n");
  EXPECT_EQ(Run("print \"[\"; rtftotext(\"doc.rtf\"); \"]\"", true).Output, "");
}

TEST_F(DocumentFunctions, PdfControlWritesIntoTheDriversKeyOnlyWhereItExists) {
  // Without the key nothing is created, and the answer is still 1.
  auto run = Run("print pdfcontrol(\"/tmp/out.pdf\", \"Subject=s\")");
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_FALSE(store_->openKey(RegistryRoot::CurrentUser, kKey, false));

  const std::string makeKey = "h = regopen(\"HKEY_CURRENT_USER\", \"\\Software\\Adobe\\Acrobat PDFWriter\", 1)\n";
  // Without a Subject only the file name and the viewer flag; what the driver had stays.
  ASSERT_TRUE(Run(makeKey).Errors.empty());
  ASSERT_TRUE(store_->writeValue(RegistryRoot::CurrentUser, kKey, "szTitle", RegistryValue::String("kept")));
  run = Run("print pdfcontrol(\"/tmp/a.pdf\")\n"
            "print pdfcontrol(\"/tmp/b.pdf\", \"Title=T\" + chr(13) + chr(10) + \"Author=A\")");
  EXPECT_EQ(run.Output, "1\n1\n");
  EXPECT_EQ(Setting("PDFFileName"), "/tmp/b.pdf");
  EXPECT_EQ(Setting("bExecViewer"), "0");
  EXPECT_EQ(Setting("szTitle"), "kept");
  EXPECT_EQ(Setting("szAuthor"), std::nullopt);

  // With a Subject every field; names in any letter case, lines ended by CR LF or LF alone, values cut to
  // 256 characters, the dates and the producer never written.
  run = Run("t = \"\"\nfor i = 1 to 300\nt = t + \"ä\"\nendfor\nn = chr(13) + chr(10)\n"
            "print pdfcontrol(\"/tmp/c.pdf\", \"title=\" + t + n + \"AUTHOR=Ann\" + chr(10) + \"CreationDate=D\" + n + "
            "\"Creator=Cre=ator\" + n + \"Producer=P\" + n + \"Subject=Sub\" + n + \"Keywords=k1, k2\" + n + \"ModDate=M\")");
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
  std::string cut;
  for (int i = 0; i < 256; ++i) cut += "ä";
  EXPECT_EQ(Setting("PDFFileName"), "/tmp/c.pdf");
  EXPECT_EQ(Setting("szTitle"), cut);
  EXPECT_EQ(Setting("szAuthor"), "Ann");
  EXPECT_EQ(Setting("szCreator"), "Cre=ator");
  EXPECT_EQ(Setting("szSubject"), "Sub");
  EXPECT_EQ(Setting("szKeyWords"), "k1, k2");
  for (const char* never : {"CreationDate", "Producer", "ModDate", "szCreationDate", "szProducer", "szModDate"})
    EXPECT_EQ(Setting(never), std::nullopt) << never;

  // A syntax check writes nothing.
  run = Run("print pdfcontrol(\"/tmp/d.pdf\")", true);
  EXPECT_EQ(Setting("PDFFileName"), "/tmp/c.pdf");
}

}  // namespace
}  // namespace tw
