// Writing what was read and reading it again changes nothing more: write(read(write(read(x)))) equals
// write(read(x)), over hand-written definitions and generated ones with every kind, colour and awkward text.

#include <gtest/gtest.h>

#include <random>

#include "definition_corpus.h"
#include "dialog_test_support.h"

namespace tw {
namespace {

using test::DialogFixture;
using test::kHandWritten;

// A generated definition: every control kind, positions of every kind of code, colours by name, number and
// junk, and texts with quotes, line breaks, commas, semicolons, ">>" and long runs.
class DefinitionGenerator {
 public:
  explicit DefinitionGenerator(unsigned seed) : random_(seed) {}

  std::string Next() {
    std::string text = "WINDOW," + Number() + "," + Number() + "," + Pick({"0", "-1", "250", "400", "x"}) + "," +
                       Pick({"0", "180", "300", ""}) + "," + Pick({"0", "1", "2", "3"}) + "," + Font() + "," +
                       Quoted(Text()) + "\n";
    if (Chance(4)) text += "WINDOW1," + Pick({"0", "1.5", "30", "-2", "x", "0.125"}) + "," + Colour() + "\n";
    const int controls = Between(1, 14);
    for (int i = 0; i < controls; ++i) text += Control(i);
    return text;
  }

 private:
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(int oneIn) { return Between(1, oneIn) == 1; }
  std::string Pick(std::initializer_list<const char*> options) {
    return *(options.begin() + Between(0, static_cast<int>(options.size()) - 1));
  }
  std::string Number() { return std::to_string(Between(-5, 600)); }
  std::string Position() { return Chance(3) ? Pick({"-1", "-2", "-3", "-9", "", "q"}) : Number(); }
  std::string Colour() {
    return Pick({"clBtnFace", "clWindow", "clRed", "clMoneyGreen", "clNone", "clMenuBar", "$00ABCDEF", "$80000012",
                 "16711680", "nonsense", ""});
  }
  std::string Font() {
    return Quoted(Pick({"Tahoma", "Arial", "Courier New", "", " padded "})) + "," + Pick({"9", "12", "x", "0"}) + "," +
           Pick({"N", "B", "biu", "S", "xyz", ""});
  }
  std::string Text() {
    std::string text;
    const int pieces = Between(0, 8);
    for (int i = 0; i < pieces; ++i)
      text += Pick({"word ", "&qt&quoted&qt&", "&nl&", ", comma", "semi;colon", " >> ", "&Accel", "|var|", "  ",
                    "\xC3\xA9t\xC3\xA9", "a-very-long-piece-of-text-without-any-blank-at-all-that-runs-on-and-on"});
    return text;
  }
  std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

  std::string Control(int index) {
    const char kind = "BCEHILMORS"[Between(0, 9)];
    std::string name(1, kind);
    if (!Chance(3)) name += std::to_string(100 + index);
    std::string line = name + "," + Position() + "," + Position() + "," + Position() + "," + Position() + "," +
                       Pick({"0", "1"}) + ",";
    switch (kind) {
      case 'H':
        return line + "\"\"," + Pick({"0", "3", "5", "8"}) + "," + Pick({"1", "4"}) + "," + Colour() + "," + Colour() +
               ",0,\"\"\n";
      case 'I':
        return line + "\"\",0,0," + Pick({"0", "1", "6"}) + "," + Pick({"0", "1", "True", "false", "x"}) + ",0,0," +
               Quoted(Chance(2) ? "" : "/missing/" + Text()) + "\n";
      case 'O':
      case 'S':
        return line + Font() + ",0,0,0," + Quoted(Text() + ";" + Text() + (Chance(2) ? ";" : "")) + "\n";
      default:
        return line + Font() + "," + Pick({"0", "1", "2"}) + "," + Pick({"0", "1", " 1"}) + "," +
               Pick({"0", "50", "x"}) + "," + Quoted(Text()) + "\n";
    }
  }

  std::mt19937 random_;
};

void ExpectStable(const std::string& definition, const std::string& name) {
  DialogFixture f;
  ASSERT_TRUE(f.Read(definition)) << name << "\n" << definition << "\n" << (f.host.ErrorBoxes.empty() ? "" : f.host.ErrorBoxes[0]);
  const std::string once = f.Written();
  ASSERT_TRUE(f.Read(once)) << name << "\n" << once;
  EXPECT_EQ(f.Written(), once) << name << "\nfrom\n" << definition;
}

TEST(DefinitionRoundTrip, HandWrittenDefinitionsAreStableAfterOneWrite) {
  int i = 0;
  for (const std::string& definition : kHandWritten) ExpectStable(definition, "hand-written " + std::to_string(i++));
}

TEST(DefinitionRoundTrip, GeneratedDefinitionsAreStableAfterOneWrite) {
  DefinitionGenerator generator(20240517);
  for (int i = 0; i < 40; ++i) ExpectStable(generator.Next(), "generated " + std::to_string(i));
}

}  // namespace
}  // namespace tw
