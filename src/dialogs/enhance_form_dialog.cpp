#include "dialogs/enhance_form_dialog.h"

#include <algorithm>

#include "interpreter/interpreter.h"
#include "interpreter/number_text.h"
#include "interpreter/script_host.h"
#include "interpreter/variables.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

const DialogMetrics& MetricsOf(ScriptHost& host) {
  const DialogMetrics* own = host.DialogTextMetrics();
  return own ? *own : StandardDialogMetrics();
}

const DialogFont kInitialFont{"Courier New", 10};

int GridLineHeight(const DialogMetrics& metrics) {
  const int height = metrics.TextExtent(kInitialFont, "Wg").height;
  return height + RoundToInteger(height * 0.6).value_or(0);
}

}  // namespace

bool IsEnhancedDefinition(const std::vector<std::string>& definition) {
  return !definition.empty() && UpperAscii(Trimmed(definition.front())).starts_with("WINDOW");
}

bool IsControlName(std::string_view name) {
  if (name.empty()) return false;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(name.front())) return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

TEnhanceFormDialog::TEnhanceFormDialog(ScriptHost& host)
    : CharWidth(MetricsOf(host).TextExtent(kInitialFont, "H").width),
      LineHeight(GridLineHeight(MetricsOf(host))),
      host_(host),
      metrics_(MetricsOf(host)) {
  const port::Rect screen = metrics_.Screens().front();
  Window.Frame = {screen.left + (screen.width - Window.Frame.width) / 2,
                  screen.top + (screen.height - Window.Frame.height) / 2, Window.Frame.width, Window.Frame.height};
}

// ---- Showing --------------------------------------------------------------------------------------------

bool TEnhanceFormDialog::ShowDefinition() {
  if (Definition.empty()) return false;
  if (IsEnhancedDefinition(Definition)) return ShowEnhancedDialog();
  return ShowLayoutDialog();
}

bool TEnhanceFormDialog::ShowEnhancedDialog() {
  lineCounter_ = 0;
  Window.DesignMode = false;
  Window.Colour = kClBtnFace;
  Window.Font = {"Tahoma", 9};
  ClearControls();
  std::string text;
  for (const std::string& line : Definition) text.append(line).append("\r\n");
  if (!BuildEnhanced(text, false, true)) return false;
  ApplyVariables();
  ShowDialogWindow();
  if (Window.PositionMode == 2) RememberPosition();
  return true;
}

bool TEnhanceFormDialog::ShowLayoutDialog() {
  ClearControls();
  if (!BuildLayout()) return false;
  ShowDialogWindow();
  return true;
}

void TEnhanceFormDialog::ShowDialogWindow() {
  // The host may stop the run instead (a terminal has no windows): nothing of this dialog stays alive then.
  try {
    host_.ShowDialog(*this);
  } catch (...) {
    ClearControls();
    throw;
  }
}

port::Point TEnhanceFormDialog::CentredPosition(bool rounded) const {
  const port::Rect screen = metrics_.Screens().front();
  const auto half = [rounded](int space) { return rounded ? RoundToInteger(space / 2.0).value_or(0) : space / 2; };
  return {screen.left + half(screen.width - Window.Frame.width), screen.top + half(screen.height - Window.Frame.height)};
}

void TEnhanceFormDialog::RememberPosition() {
  if (!positions_) return;
  const std::string key = DialogPositionKey(Window.Caption);
  positions_->Write(key + "_X", Window.Frame.left, key + "_Y", Window.Frame.top);
}

port::Size TEnhanceFormDialog::ClientSize() const {
  const FrameMargins frame = metrics_.WindowFrame();
  return {Window.ClientWidth.value_or(Window.Frame.width - frame.Left - frame.Right),
          Window.ClientHeight.value_or(Window.Frame.height - frame.Top - frame.Bottom)};
}

// ---- Controls -------------------------------------------------------------------------------------------

bool TEnhanceFormDialog::Focusable(const DialogControl& control) const {
  return TakesFocus(control.Kind) || (Window.DesignMode && control.Kind == ControlKind::Label);
}

DialogControl& TEnhanceFormDialog::AddControl(DialogControl control) {
  if (Focusable(control))
    control.TabOrder = static_cast<int>(
        std::count_if(Controls.begin(), Controls.end(), [this](const DialogControl& c) { return Focusable(c); }));
  Controls.push_back(std::move(control));
  return Controls.back();
}

std::string TEnhanceFormDialog::Expand(std::string text) const {
  if (!interpreter_ || !expandTexts_ || text.empty()) return text;
  return interpreter_->ExpandVariables(text);
}

std::string TEnhanceFormDialog::NewControlName(char letter) const {
  const char kind = UpperAscii(std::string(1, letter)).front();
  for (std::size_t number = Controls.size() + 1;; ++number) {
    std::string name = kind + std::to_string(number);
    if (!FindControl(name)) return name;
  }
}

std::optional<std::size_t> TEnhanceFormDialog::FindControl(std::string_view name) const {
  for (std::size_t i = 0; i < Controls.size(); ++i)
    if (EqualsIgnoringAsciiCase(Controls[i].Name, name)) return i;
  return std::nullopt;
}

void TEnhanceFormDialog::ClearControls() {
  Controls.clear();
  Window.TimeoutMs = 0;
  InitialSelection.clear();
}

// ---- Values ---------------------------------------------------------------------------------------------

std::string TEnhanceFormDialog::GetControlValue(std::string_view name) const {
  const auto index = FindControl(name);
  if (!index) return "";
  const DialogControl& control = Controls[*index];
  switch (control.Kind) {
    case ControlKind::Label:
    case ControlKind::Memo:
    case ControlKind::Edit:
      return control.Text;
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
      return control.Selected >= 0 && control.Selected < static_cast<int>(control.Items.size())
                 ? control.Items[static_cast<std::size_t>(control.Selected)]
                 : "";
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      return control.Checked ? "1" : "0";
    default:
      return std::to_string(control.Value);
  }
}

void TEnhanceFormDialog::ApplyVariables() {
  if (!variables_) return;
  for (std::size_t i = 0; i < Controls.size(); ++i) {
    DialogControl& control = Controls[i];
    // A button's value tells how the dialog ended: it starts at 0 whatever the script's variables hold.
    if (control.Kind == ControlKind::Button) continue;
    const TVariable* variable = variables_->Find(NormalizeName(control.Name));
    if (!variable) continue;
    const ScriptValue& value = variable->Value;
    try {
      switch (control.Kind) {
        case ControlKind::Label:
        case ControlKind::Memo:
        case ControlKind::Edit:
          control.Text = value.ToText();
          break;
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
          if (control.Selected >= 0 && control.Selected < static_cast<int>(control.Items.size()))
            control.Items[static_cast<std::size_t>(control.Selected)] = value.ToText();
          break;
        case ControlKind::CheckBox:
          control.Checked = value.ToBoolean();
          break;
        case ControlKind::Radio:
          if (value.ToBoolean())
            CheckRadio(i);
          else
            control.Checked = false;
          break;
        default:
          control.Value = value.ToInteger();
          break;
      }
    } catch (const ScriptFailure&) {
      // A value this control cannot take leaves it as the definition made it.
    }
  }
}

// ---- While the dialog is open ---------------------------------------------------------------------------

void TEnhanceFormDialog::PressButton(std::size_t index) {
  if (index < Controls.size()) Controls[index].Value = 1;
}

void TEnhanceFormDialog::CheckRadio(std::size_t index) {
  for (std::size_t i = 0; i < Controls.size(); ++i)
    if (Controls[i].Kind == ControlKind::Radio) Controls[i].Checked = i == index;
}

std::optional<std::size_t> TEnhanceFormDialog::CountdownLabel() const {
  const bool counting = std::any_of(Controls.begin(), Controls.end(),
                                    [](const DialogControl& c) { return c.Kind == ControlKind::Countdown; });
  return counting ? FindControl("TimerLabel") : std::nullopt;
}

bool TEnhanceFormDialog::CountdownTick() {
  const auto label = CountdownLabel();
  auto timer = std::find_if(Controls.begin(), Controls.end(),
                            [](const DialogControl& c) { return c.Kind == ControlKind::Countdown; });
  if (!label || timer == Controls.end() || timer->Value == 1) return false;
  std::string& text = Controls[*label].Text;
  const int seconds = ParseInteger(text).value_or(10) - 1;
  text = std::to_string(std::max(seconds, 0));
  // A count that starts at 0 or below ends at the first tick instead of counting on below zero.
  if (seconds > 0) return false;
  timer->Value = 1;
  return true;
}

std::optional<std::size_t> TEnhanceFormDialog::InitialFocus() const {
  std::optional<std::size_t> focus;
  for (std::size_t i = 0; i < Controls.size(); ++i)
    if (Controls[i].Focus && TakesFocus(Controls[i].Kind)) focus = i;
  return focus;
}

}  // namespace tw
