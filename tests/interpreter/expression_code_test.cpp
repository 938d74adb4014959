// Expressions read again run as code: every pass must show what reading the tokens shows, the
// first pass (read from the tokens) and the later ones (run as code) alike, errors included.

#include <string>

#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

TEST(ExpressionCode, LaterPassesShowWhatTheFirstShows) {
  const ScriptCase cases[] = {
      {"kinds of values: reals from number literals, text joined, powers, elements",
       "for k = 1 to 3\n"
       "  x = k * 2 + 1\n"
       "  y = 1 + k / 4\n"
       "  z = \"n\" + k\n"
       "  w = -(k - 5) ^ 2\n"
       "  a[k, \"x\"] = k * k\n"
       "  print x; \" \"; y; \" \"; z; \" \"; w; \" \"; a[k, \"x\"] + a[k - 1, \"x\"]\n"
       "endfor",
       "3 1.25 n1 16 1\n5 1.5 n2 9 5\n7 1.75 n3 4 13\n", ""},
      {"an operation failing on a later pass is reported on its line",
       "s = 1\nfor k = 1 to 3\n  x = k + s * 2\n  print x\n  s = \"abc\"\nendfor", "3\n",
       ErrorAt("Could not convert variant of type (String) into type (Double)", 3)},
      {"under noerror a failing item ends the statement on every pass",
       "noerror(1)\ns = \"abc\"\nfor k = 1 to 3\n  print \"v\"; k * s; \"w\"\nendfor\nprint \"end\"", "end\n", ""},
      {"a condition read again", "i = 0\nwhile i < 5\n  i = i + 2\nendwhile\nprint i", "6\n", ""},
      {"conditions read again: connectives strictly left to right, what follows then and a case's \":\"",
       "for k = 1 to 3\n  if k = 3 or k = 1 and k < 3 then\n    print \"a\"; k\n  endif\n  caseof\n"
       "  case k = 2: print \"b\"; k\n  case k >= 1:\n    print \"c\"; k\n  endcase\nendfor",
       "a1\nc1\nb2\nc3\n", ""},
      {"a comparison failing on a later pass is reported on its line",
       "s = 1\nfor k = 1 to 3\n  if s < 5 then\n    print k\n  endif\n  s = \"abc\"\nendfor", "1\n",
       ErrorAt("Invalid Comparison", 3)},
      {"whole numbers past 32 bits turn real, reals past their range fail, on a later pass",
       "s = leftpad(\"\", 40000, \"x\")\nbig = 1e308\nfor k = 1 to 2\n  n = length(s)\n  f = 0 + k\n"
       "  print n * n; \" \"; n + n; \" \"; n - n\n  s = s + leftpad(\"\", 10000, \"x\")\n  x = big * f\nendfor",
       "1600000000 80000 0\n2500000000 100000 0\n", ErrorAt("Floating point overflow", 8)},
      {"array elements written again: index text as written, nested elements, global arrays, a failing index",
       "global g\ns = 1\nfor k = 1 to 3\n  a[k, \"X y\"] = k\n  g[k] = k * 2\n  b[a[k, \"x Y\"]] = k + 10\n"
       "  print a[k,\"xy\"]; \" \"; g[k]; \" \"; b[k]\n  t[k * s] = 1\n"
       "  if k = 2 then\n    s = \"abc\"\n  endif\nendfor",
       "1 2 11\n2 4 12\n3 6 13\n", ErrorAt("Could not convert variant of type (String) into type (Double)", 8)},
      {"calls made again: parameters written in capitals, by reference, named as a global, locals of one call only",
       "global Shared\nfor k = 1 to 3\n  n = twice(k, m)\n  mark(k * 10)\n"
       "  print n; \" \"; m; \" \"; shared; \" \"; x\nendfor\nend\n"
       "func twice(X, &Out)\n  y = x * 2\n  out = y + 1\n  result = y\nendfunc\n"
       "sub mark(SHARED)\n  print result\nendsub\n",
       "0\n2 3 10 0\n0\n4 5 20 0\n0\n6 7 30 0\n", ""},
  };
  RunCases(cases);
}

}  // namespace
}  // namespace tw
