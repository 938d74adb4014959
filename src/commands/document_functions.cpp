// Documents: rtftotext gives the plain text of an RTF file; pdfcontrol prepares the settings of the PDF printer
// driver the Windows design prints to, in the settings store, for the document printed next.

#include "commands/rtf_text.h"
#include "commands/tarnwick_basic.h"
#include "files/file_text.h"
#include "interpreter/file_attributes.h"
#include "text/ascii_text.h"
#include "text/utf8.h"

namespace tw {

namespace {

void RtfToTextFunction(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = library.ReadArgument();
  if (library.CheckMode || !ExistsAsFile(file)) return;
  try {
    const std::optional<std::string> document = ReadWholeFile(file);
    if (document) result = ScriptValue(RtfToText(*document));
  } catch (const std::exception& failure) {
    library.ScriptError(std::string("RTF: ") + failure.what());
  }
}

// The driver keeps its settings here; it exists only where the driver is installed, and nothing creates it.
constexpr std::string_view kPdfWriterKey = "\\Software\\Adobe\\Acrobat PDFWriter";
// Longer document information is cut to this many characters.
constexpr std::size_t kInfoLength = 256;

const std::string_view kPdfControlDefault =
    "Title=\r\nAuthor=\r\nCreationDate=\r\nCreator=\r\nProducer=\r\nSubject=\r\nKeywords=\r\nModDate=";

// The value of the first "name=value" line of `info` whose name is `name`, any letter case; empty when none.
std::string InfoValue(std::string_view info, std::string_view name) {
  for (std::string_view line : SplitLines(info)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && EqualsIgnoringAsciiCase(line.substr(0, equals), name)) {
      const std::string_view value = line.substr(equals + 1);
      return std::string(value.substr(0, text::SkipCharacters(value, 0, kInfoLength)));
    }
  }
  return {};
}

void PdfControl(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string outputFile = library.ReadArgument();
  const std::string info = library.ReadOptionalArgument(ScriptValue(std::string(kPdfControlDefault))).ToText();
  if (library.CheckMode) return;
  try {
    // CreationDate, Producer and ModDate are part of the information but the driver takes them from elsewhere.
    const std::string subject = InfoValue(info, "Subject");
    std::vector<std::pair<std::string_view, std::string>> values = {{"PDFFileName", outputFile},
                                                                     {"bExecViewer", "0"}};
    if (!subject.empty()) {
      values.emplace_back("szSubject", subject);
      values.emplace_back("szKeyWords", InfoValue(info, "Keywords"));
      values.emplace_back("szTitle", InfoValue(info, "Title"));
      values.emplace_back("szAuthor", InfoValue(info, "Author"));
      values.emplace_back("szCreator", InfoValue(info, "Creator"));
    }
    port::RegistryStore& store = library.Desktop.registry();
    if (store.openKey(port::RegistryRoot::CurrentUser, kPdfWriterKey, false))
      for (const auto& [name, value] : values)
        store.writeValue(port::RegistryRoot::CurrentUser, kPdfWriterKey, name, port::RegistryValue::String(value));
    result = ScriptValue::Integer(1);
  } catch (const std::exception&) {
    library.ScriptError("Syntax Error");
  }
}

}  // namespace

void AddDocumentFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("rtftotext", RtfToTextFunction);
  handlers.AddFunction("pdfcontrol", PdfControl);
}

}  // namespace tw
