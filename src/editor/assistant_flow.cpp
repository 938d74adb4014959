#include "editor/assistant_flow.h"

namespace tw::editor {

namespace {

AssistantPage FirstPage(AssistantMode mode) {
  switch (mode) {
    case AssistantMode::FocusFinder: return AssistantPage::WindowFinder;
    case AssistantMode::MouseClick: return AssistantPage::MouseCommand;
    case AssistantMode::TextLocator: break;
  }
  return AssistantPage::FindWhat;
}

}  // namespace

AssistantFlow::AssistantFlow(AssistantMode mode) : mode_(mode), page_(FirstPage(mode)) {}

AssistantStep AssistantFlow::Show(AssistantPage page) {
  page_ = page;
  return AssistantStep::ShowPage;
}

AssistantStep AssistantFlow::Confirm(std::string command) {
  command_ = std::move(command);
  return Show(AssistantPage::Confirm);
}

AssistantStep AssistantFlow::Next() {
  switch (page_) {
    case AssistantPage::FindWhat:
      return onTerminal_ ? Show(AssistantPage::WindowFinder) : AssistantStep::PickChildWindow;
    case AssistantPage::MouseCommand:
      if (!mouseCommand_) return AssistantStep::Stay;
      if (*mouseCommand_ == MouseCommand::MouseClick || *mouseCommand_ == MouseCommand::MouseClickRel)
        return Show(AssistantPage::WindowFinder);
      return AssistantStep::PickPoint;
    case AssistantPage::WindowFinder:
      if (mode_ == AssistantMode::FocusFinder) return Confirm(FocusBlock(picked_.title, picked_.windowClass));
      if (mode_ == AssistantMode::MouseClick)
        return mouseCommand_ == MouseCommand::MouseClick ? AssistantStep::PickChildWindow : AssistantStep::PickPoint;
      if (picked_.handle == port::kNoWindow) {
        capture_ = {};
        page_ = AssistantPage::DosFormat;
        return AssistantStep::NoApplication;
      }
      return picked_.terminal ? AssistantStep::CaptureScreen : AssistantStep::PickChildWindow;
    case AssistantPage::DosFormat:
      // Nothing captured, nothing to wait for.
      if (capture_.text.empty()) return AssistantStep::Stay;
      return Confirm(grab_ ? GrabCommand(capture_) : WaitDosCommand(capture_));
    case AssistantPage::Confirm: return AssistantStep::Done;
  }
  return AssistantStep::Stay;
}

AssistantStep AssistantFlow::ChildWindowPicked(const std::optional<TWindowInfo>& window) {
  if (mode_ == AssistantMode::MouseClick) {
    if (!window) return AssistantStep::Stay;
    return Confirm(MouseClickCommand(window->parentTitle, window->title));
  }
  // Waiting for a window: the confirm page follows, with the command when a titled window was picked.
  if (window && !window->title.empty()) command_ = WaitWinCommand(window->parentTitle, window->title);
  return Show(AssistantPage::Confirm);
}

AssistantStep AssistantFlow::PointPicked(const std::optional<port::Point>& point) {
  if (!point || !mouseCommand_) return AssistantStep::Stay;
  if (*mouseCommand_ == MouseCommand::MouseClickRel) return Confirm(MouseClickRelCommand(picked_.title, *point));
  return Confirm(MousePointCommand(*mouseCommand_, *point));
}

AssistantStep AssistantFlow::ScreenCaptured(const ScreenCapture& capture) {
  capture_ = capture;
  return Show(AssistantPage::DosFormat);
}

std::string AssistantFlow::PointPrompt() const {
  const bool move = mouseCommand_ == MouseCommand::MouseMove || mouseCommand_ == MouseCommand::MouseUpDown;
  return move ? "Locate the mouse position" : "Locate the mouse click position";
}

port::WindowId AssistantFlow::PointWindow() const {
  return mouseCommand_ == MouseCommand::MouseClickRel ? picked_.handle : port::kNoWindow;
}

}  // namespace tw::editor
