#include "editor/assistant_commands.h"

#include <algorithm>

#include "recorder/recording_script.h"
#include "text/utf8.h"

namespace tw::editor {

namespace {

std::string Number(int value) { return std::to_string(value); }

std::string Call(const std::string& name, std::initializer_list<std::string> arguments) {
  std::string text = name + "(";
  bool first = true;
  for (const std::string& argument : arguments) {
    text += (first ? "" : ", ") + argument;
    first = false;
  }
  return text + ")";
}

std::string WithoutLineBreaks(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

}  // namespace

std::string FocusBlock(const std::string& title, const std::string& windowClass) {
  const bool byTitle = !title.empty();
  return "IF " + Call(byTitle ? "FOCUS" : "FOCUSCLASS", {ScriptTextLiteral(byTitle ? title : windowClass), "5"}) +
         " = True THEN\r\n  '-- Codes\r\nENDIF";
}

std::string MouseClickCommand(const std::string& parentTitle, const std::string& title) {
  return Call("MOUSECLICK", {ScriptTextLiteral(parentTitle), ScriptTextLiteral(title), "10"});
}

std::string MouseClickRelCommand(const std::string& title, port::Point point) {
  return Call("MOUSECLICKREL", {ScriptTextLiteral(title), Number(point.x), Number(point.y), "10"});
}

std::string MousePointCommand(MouseCommand command, port::Point point) {
  switch (command) {
    case MouseCommand::MouseMove: return Call("MOUSEMOVE", {Number(point.x), Number(point.y)});
    case MouseCommand::MouseUpDown: return Call("MOUSEUPDOWN", {"\"L\"", "\"U\"", Number(point.x), Number(point.y)});
    case MouseCommand::MouseClickAbs:
    case MouseCommand::MouseClick:
    case MouseCommand::MouseClickRel: break;
  }
  return Call("MOUSECLICKABS", {Number(point.x), Number(point.y)});
}

std::string WaitWinCommand(const std::string& parentTitle, const std::string& title) {
  return Call("WAITWIN", {ScriptTextLiteral(parentTitle), ScriptTextLiteral(title), "10"});
}

std::string WaitDosCommand(const ScreenCapture& capture) {
  return Call("WAITDOS",
              {Number(capture.row), Number(capture.column), ScriptTextLiteral(WithoutLineBreaks(capture.text)), "10"});
}

std::string GrabCommand(const ScreenCapture& capture) {
  const auto length = static_cast<int>(text::CharacterCount(capture.text));
  return Call("GRAB", {Number(capture.row), Number(capture.column), Number(length)});
}

}  // namespace tw::editor
