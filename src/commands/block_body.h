#pragma once
// Reading the body of a block word (dialog, string, text, macro) from the stored script lines, which end with
// the end-of-line marker "~".

#include <string>
#include <string_view>
#include <vector>

namespace tw {

class TTarnwickBasic;

// The stored lines from LineIndex up to the first line that, trimmed and lowered, begins with one of the end
// words; LineIndex then points past that line. The script's last line never belongs to a body: without an end
// line the body stops before it and that line is taken as the end.
std::vector<std::string> ReadBlockBody(TTarnwickBasic& library, std::initializer_list<std::string_view> endWords);

// A script error of the block whose body begins at `bodyLine` (the LineIndex the block word was entered with),
// reported on the block word's line.
void BlockError(TTarnwickBasic& library, std::size_t bodyLine, std::string_view message);

// The number of spaces that begin the line.
std::size_t LeadingSpaces(std::string_view line);
// The line without at most `indentation` of its leading spaces, so that a line indented less than the first
// keeps all of its text.
std::string_view Unindented(std::string_view line, std::size_t indentation);
// The stored line without its end-of-line marker.
std::string_view WithoutMarker(std::string_view line);

}  // namespace tw
