// Writing what was read and reading it again changes nothing more: write(read(write(read(x)))) equals
// write(read(x)), over hand-written definitions and generated ones with every kind, colour and awkward text.

#include <gtest/gtest.h>

#include <random>

#include "dialog_test_support.h"

namespace tw {
namespace {

using test::DialogFixture;

const std::string kHandWritten[] = {
    "WINDOW,374,293,326,193,1,\"Tahoma\",9,N,\"Dialog\"\nWINDOW1,0\nI3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"\n"
    "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"\nB200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"\n"
    "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"\n",
    "WINDOW,0,0,0,0,0,\"\",0,N,\"Fitted\"\nB,10,10,-3,-3,0,\"\",0,0,0,0,0,\"Button\"\nE,-2,-1,-3,-3,1,\"\",0,N,0,1,8,\"\"\n",
    "WINDOW,5,5,400,300,2,\"Arial\",11,BIUS,\"Remember &qt&me&qt&\"\nWINDOW1,12.345,$00102030\n"
    "M1,10,10,300,100,1,\"Courier New\",10,N,2,1,0,\"line one&nl&line two&nl&&nl&\"\n"
    "L2,10,120,300,40,0,\"\",0,N,1,1,0,\"Press the \">>\n\"green key&nl&\"\n",
    "window,1,2,300,200,7,\"Tahoma\",9,n,\"modes other than 1 and 2 are 0\"\n'a comment\n\n"
    "S1,0,0,100,80,0,\"\",0,N,0,0,0,\"a;b;;c\"\nO1,0,90,100,20,0,\"\",0,N,0,0,0,\";\"\nR1,0,120,80,17,0,\"\",0,N,1,0,0,\"x\"\n"
    "R2,0,140,80,17,0,\"\",0,N,1,0,0,\"y\"\n",
    "WINDOW,0,0,500,400,0,\"Tahoma\",9,N,\"Shapes\"\nWINDOW1,0.5,clInfoBk\n"
    "H1,0,0,50,50,0,\"\",4,2,clRed,clBlue,0,\"\"\nH2,60,0,50,50,0,\"\",9,0,-2147483633,0,0,\"\"\n"
    "I9,120,0,32,32,0,\"\",0,0,6,true,0,0,\"/nowhere/pic.bmp\"\n",
    "WINDOW,0,0,640,480,1,\"Tahoma\",9,N,\"Long\"\n"
    "C1,10,10,600,20,0,\"Courier New\",10,N,1,0,0,\"A caption long enough to be split over several lines, with "
    "blanks; and semicolons; and more words until it is well beyond one line of seventy-five characters\"\n"
    "E1,10,40,600,20,0,\"Courier New\",10,N,0,0,0,\"" +
        std::string(200, 'z') + "\"\n",
    "WINDOW,0,0,300,300,0,\"Tahoma\",9,N,\"T\"\nX1,5,5,10,10\nTimerLabel,1,1,1,1,0,\"\",0,N,0,0,0,\"30\"\n"
    "B_under_score,-2,-2,-1,-1,0,\"\",0,N,0,0,0,\"with ,commas, inside\"\n",
    "WINDOW,0,0,300,300,0,\"Tahoma\",9,N,\"utf-8 \xC3\xA9\xE2\x82\xAC\"\nL1,0,0,280,20,0,\"\",0,N,0,0,0,\"" +
        std::string(30, 'a') + std::string("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC") + "\"\n"
        "E1,0,30,280,20,0,\"\",0,N,0,0,0,\"" + std::string(34, 'b') + "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\"\n",
    // Placed after a control at -6 with no size, the next lands at -2,-2 and the one under it keeps left -2.
    "WINDOW,0,0,300,300,0,\"Tahoma\",9,N,\"T\"\nL1,-6,-6,0,0,0,\"\",0,N,0,0,0,\"\"\n"
    "L2,-2,-2,0,18,0,\"\",0,N,0,0,0,\"\"\nL3,-1,-2,100,18,0,\"\",0,N,0,0,0,\"\"\n",
};

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
