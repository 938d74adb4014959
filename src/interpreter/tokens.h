#pragma once
// Token kinds and the two fixed keyword tables of the language.

#include <array>
#include <cstdint>
#include <string_view>

namespace tw {

enum class TokenKind : std::uint8_t {
  None,
  tkOperator,      // : + - * ^ / = , > < ( ) >= <= <> >>, end of line, end of script
  tkVariable,
  tkNumber,
  tkStatement,     // statement keyword (not include), host command, block start word
  tkString,
  tkLabel,
  tkFunction,      // include, built-in function, extension function
  tkOther,         // any other single character
  tkUserFunction,
};

// Statement keywords; the enumerators follow the keyword table's order.
enum class Keyword : std::uint8_t {
  Print, Input, If, Then, Else, EndIf, Goto, For, ExitFor, ExitWhile, EndFor, While, EndWhile,
  To, Global, Clear, Gosub, Return, CaseOf, Case, Otherwise, EndCase, Sub, Subroutine, Func,
  Function, EndSub, EndFunc, Include, End,
};

// Built-in functions; one enumerator per function (fclose and find/pos have two table entries).
enum class Builtin : std::uint8_t {
  Abs, AllCommands, Asc, Chr, ChDir, CurDir, Date, ErrorLog, FClose, FEof, FGets, Find, FOpen,
  FPuts, FileExists, FileDelete, FileCopy, FileGetAttr, FileInfo, FileRename, FileSetAttr,
  FileVersion, FileName, LoadFromFile, SaveToFile, GetDir, GetFile, Left, LeftPad, Length,
  LoadVars, Lower, Mid, MkDir, MsgBox, NoError, Now, Output, Parse, Right, RmDir, Round, RightPad,
  Random, SaveVars, ScriptDir, HomeDir, TempDir, Str, Sqrt, Time, Trim, Trunc, Upper, Val, DtVal,
  DtStr, VarByName, Version,
  Count_,
};

template <typename Id>
struct TLookupToken {
  std::string_view Name;
  Id Token;
};

extern const std::array<TLookupToken<Keyword>, 30> kStatementKeywords;
extern const std::array<TLookupToken<Builtin>, 61> kBuiltinFunctions;
// Variables the interpreter itself sets or reads: the run constants, _endoncancel, and the result of a func.
extern const std::array<std::string_view, 5> kInterpreterVariables;
// The words that join the comparisons of a condition.
extern const std::array<std::string_view, 2> kConditionWords;

}  // namespace tw
