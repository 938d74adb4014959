// Opens one large script in an editor component and scrolls it to the end by pages, offscreen: our editor
// page (file read and decoded as the editor does, QScintilla set up as the editor sets it up, highlighted), a
// bare QsciScintilla, the bare one highlighted by QScintilla's C++ lexer (bare-cpp), or a QPlainTextEdit. One component
// per process, so that the peak memory is its own. Or styles the whole script once, in a QsciScintilla that is not
// shown, with the page's highlighter (style-page) or with QScintilla's C++ lexer (style-cpp).
//
//   tw_editor_bench page|bare|bare-cpp|plain|style-page|style-cpp FILE
//
// Prints "<mode> open_ms scroll_ms pages peak_kb scroll_cpu_ms", or "<mode> style_ms style_cpu_ms lines" for
// styling. The processor time varies less than the wall time on a busy machine.

#include <Qsci/qscilexercpp.h>
#include <Qsci/qsciscintilla.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "commands/tarnwick_basic.h"
#include "editor/editor_core.h"
#include "editor/page_file.h"
#include "editor/qt/form_codes.h"
#include "editor/qt/script_lexer.h"
#include "editor/script_styler.h"
#include "port/no_display_desktop.h"
#include "runtime/terminal_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double ProcessorMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

QString ReadAsUtf8(const char* file) {
  QFile in(QString::fromLocal8Bit(file));
  if (!in.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(in.readAll());
}

// Pages down with the scroll bar until the end shows, painting after every page.
int ScrollToEnd(QAbstractScrollArea& area) {
  QScrollBar* bar = area.verticalScrollBar();
  int pages = 0;
  while (bar->value() < bar->maximum()) {
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    area.viewport()->repaint();
    ++pages;
  }
  return pages;
}

// The words of the editor's test interpreter.
std::shared_ptr<const tw::editor::ScriptStyler> EditorStyler() {
  tw::TerminalHost host(stdin, stdout, stderr, false);
  tw::port::NoDisplayDesktop desktop("bench");
  tw::TTarnwickBasic interpreter(host, desktop);
  return std::make_shared<const tw::editor::ScriptStyler>(interpreter);
}

// Styles the whole text once; the lexer is set before the text, so nothing is styled before the clock starts.
int Style(const char* mode, const char* file) {
  QsciScintilla edit;
  edit.setUtf8(true);
  const bool ours = std::strcmp(mode, "style-page") == 0;
  if (ours)
    edit.setLexer(new tw::ScriptLexer(EditorStyler(), edit.font(), &edit));
  else
    edit.setLexer(new QsciLexerCPP(&edit));
  edit.setText(ReadAsUtf8(file));
  const long length = edit.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  if (edit.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) != 0) {
    std::fprintf(stderr, "%s: text styled before it was timed\n", mode);
    return 1;
  }
  const double processorBefore = ProcessorMilliseconds();
  const Clock::time_point start = Clock::now();
  edit.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
  const Clock::time_point styled = Clock::now();
  const double processor = ProcessorMilliseconds() - processorBefore;
  if (edit.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) != length) {
    std::fprintf(stderr, "%s: the text was not styled whole\n", mode);
    return 1;
  }
  std::printf("%s %.1f %.1f %d\n", mode, Milliseconds(start, styled), processor, edit.lines());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s page|bare|bare-cpp|plain|style-page|style-cpp FILE\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const char* mode = argv[1];
  const char* file = argv[2];
  if (std::strncmp(mode, "style-", 6) == 0) return Style(mode, file);

  const Clock::time_point start = Clock::now();
  QAbstractScrollArea* area = nullptr;
  std::unique_ptr<QWidget> owner;
  tw::editor::EditorPage page;
  if (std::strcmp(mode, "page") == 0) {
    page.content = tw::editor::LoadPageFile(file);
    auto form = std::make_unique<tw::TFormCodes>(page);
    form->UseHighlighter(EditorStyler());
    form->LoadText(QString::fromUtf8(page.content.text.data(), static_cast<qsizetype>(page.content.text.size())));
    area = form->ScriptContent;
    owner = std::move(form);
  } else if (std::strcmp(mode, "bare") == 0 || std::strcmp(mode, "bare-cpp") == 0) {
    auto edit = std::make_unique<QsciScintilla>();
    edit->setUtf8(true);
    if (std::strcmp(mode, "bare-cpp") == 0) edit->setLexer(new QsciLexerCPP(edit.get()));
    edit->setText(ReadAsUtf8(file));
    area = edit.get();
    owner = std::move(edit);
  } else if (std::strcmp(mode, "plain") == 0) {
    auto edit = std::make_unique<QPlainTextEdit>();
    edit->setPlainText(ReadAsUtf8(file));
    area = edit.get();
    owner = std::move(edit);
  } else {
    std::fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
  }
  owner->resize(800, 600);
  owner->show();
  area->viewport()->repaint();
  QApplication::processEvents();
  const Clock::time_point opened = Clock::now();
  const double processorBefore = ProcessorMilliseconds();
  const int pages = ScrollToEnd(*area);
  const Clock::time_point scrolled = Clock::now();
  const double processor = ProcessorMilliseconds() - processorBefore;

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s %.1f %.1f %d %ld %.1f\n", mode, Milliseconds(start, opened), Milliseconds(opened, scrolled), pages,
              usage.ru_maxrss, processor);
  return 0;
}
