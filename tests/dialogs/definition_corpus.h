#pragma once
// Hand-written enhanced definitions that exercise every kind of field: relative positions, fitted windows,
// escapes, split lines, long texts, junk tokens and characters of several bytes.

#include <string>

namespace tw::test {

// Long definitions are written as adjacent literals, one line of the definition each.
// NOLINTBEGIN(bugprone-suspicious-missing-comma)
inline const std::string kHandWritten[] = {
    "WINDOW,374,293,326,193,1,\"Tahoma\",9,N,\"Dialog\"\nWINDOW1,0\nI3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"\n"
    "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"\nB200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"\n"
    "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"\n",
    "WINDOW,0,0,0,0,0,\"\",0,N,\"Fitted\"\nB,10,10,-3,-3,0,\"\",0,0,0,0,0,\"Button\"\nE,-2,-1,-3,-3,1,\"\",0,N,0,1,8,"
    "\"\"\n",
    "WINDOW,5,5,400,300,2,\"Arial\",11,BIUS,\"Remember &qt&me&qt&\"\nWINDOW1,12.345,$00102030\n"
    "M1,10,10,300,100,1,\"Courier New\",10,N,2,1,0,\"line one&nl&line two&nl&&nl&\"\n"
    "L2,10,120,300,40,0,\"\",0,N,1,1,0,\"Press the \">>\n\"green key&nl&\"\n",
    "window,1,2,300,200,7,\"Tahoma\",9,n,\"modes other than 1 and 2 are 0\"\n'a comment\n\n"
    "S1,0,0,100,80,0,\"\",0,N,0,0,0,\"a;b;;c\"\nO1,0,90,100,20,0,\"\",0,N,0,0,0,\";\"\nR1,0,120,80,17,0,\"\",0,N,1,0,0,"
    "\"x\"\n"
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
        std::string(30, 'a') + std::string("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC") +
        "\"\n"
        "E1,0,30,280,20,0,\"\",0,N,0,0,0,\"" +
        std::string(34, 'b') + "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\"\n",
    // Placed after a control at -6 with no size, the next lands at -2,-2 and the one under it keeps left -2.
    "WINDOW,0,0,300,300,0,\"Tahoma\",9,N,\"T\"\nL1,-6,-6,0,0,0,\"\",0,N,0,0,0,\"\"\n"
    "L2,-2,-2,0,18,0,\"\",0,N,0,0,0,\"\"\nL3,-1,-2,100,18,0,\"\",0,N,0,0,0,\"\"\n",
};
// NOLINTEND(bugprone-suspicious-missing-comma)

}  // namespace tw::test
