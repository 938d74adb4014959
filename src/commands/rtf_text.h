#pragma once
// The plain text of an RTF document, as a rich-text control shows it once switched to plain text.
//
// Read: groups, control words and symbols; \uN characters (negative values, surrogate pairs, the \ucN
// fallback bytes skipped); \'hh bytes and raw bytes in the code page of the current font's \fcharset or \cpg,
// else the document's \ansicpg; the Symbol font's signs. Left out: \bin data, hidden text (\v), and the
// destinations that hold no text of the document's body: \* destinations, the font, colour, style and list
// tables, information, pictures, objects, headers, footers, footnotes, annotations, index and contents entries
// and field instructions (field results stay). \par, \line and \row end a line with CR LF; \tab and \cell
// give a TAB. No line break follows the last paragraph. The text is UTF-8.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tw {

// A document that cannot be read; what() says why.
class RtfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The deepest nesting of groups read; a deeper document is refused rather than read with unbounded memory.
inline constexpr std::size_t kRtfMaxGroupDepth = 4096;

// The text of `document`. A document that does not start with "{\rtf" is no RTF and comes back unchanged.
// Throws RtfError for groups nested too deeply and for \bin data that runs past the end; a document that
// ends before its groups are closed gives the text read so far.
std::string RtfToText(std::string_view document);

}  // namespace tw
