#pragma once
// The script lines a keystroke recording becomes, as the editor inserts them at its caret: a SEND command per
// recorded line, inside "IF FOCUS(...) = True THEN" ... "ENDIF" when the recording was meant for a window picked
// by its title (FOCUSCLASS with its class when it had no title). Lines end with CR LF, and every line after the
// first starts at the caret's column.

#include <string>
#include <string_view>

namespace tw {

struct RecordingTarget {
  std::string title;        // of the window picked before recording; empty when none was
  std::string windowClass;
};

// `caretColumn` counts from 1. Empty for an empty recording.
std::string RecordingScriptText(std::string_view recorded, const RecordingTarget& target, int caretColumn);

// Every line break of the text followed by blanks up to the caret's column (counted from 1), so that inserted
// lines start where the caret stands.
std::string IndentLaterLines(std::string_view text, int caretColumn);

// Text as a script expression: a quoted literal, with chr(34) joined in for each double quote, which a literal
// cannot hold: ab"c gives "ab" + chr(34) + "c".
std::string ScriptTextLiteral(std::string_view text);

}  // namespace tw
