#include "dialogs/qt/dialog_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>

#include "dialogs/qt/dialog_fonts.h"
#include "dialogs/qt/dialog_line_breaks.h"
#include "dialogs/qt/dialog_palette.h"
#include "dialogs/qt/dialog_pictures.h"
#include "dialogs/qt/qt_dialog_metrics.h"
#include "dialogs/qt/shape_widget.h"

namespace tw {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Password boxes show "*" for each character, at once.
class PasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

// A label's text with "&" marking the next letter as its accelerator ("&&" is an "&"), kept as written
// otherwise: blanks and line breaks stay.
QString LabelMarkup(const std::string& text, bool wrap) {
  const QString plain = ToQtLines(text);
  QString html;
  for (qsizetype i = 0; i < plain.size(); ++i) {
    const QChar c = plain[i];
    if (c == '&' && i + 1 < plain.size()) {
      ++i;
      html += plain[i] == '&' ? QString("&amp;") : "<u>" + QString(plain[i]).toHtmlEscaped() + "</u>";
    } else if (c == '\n') {
      html += "<br>";
    } else {
      html += QString(c).toHtmlEscaped();
    }
  }
  return QString("<span style=\"white-space:%1\">%2</span>").arg(wrap ? "pre-wrap" : "pre", html);
}

// Typing beyond a limit is refused; texts that start longer (from the definition or a variable) keep their
// length, as the limit is on typing only.
void LimitTyping(QLineEdit* edit, int limit) {
  if (limit <= 0) return;
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, limit, previous = edit->text()](const QString& text) mutable {
    if (text.size() > limit && text.size() > previous.size()) {
      const int cursor = edit->cursorPosition() - static_cast<int>(text.size() - previous.size());
      edit->setText(previous);
      edit->setCursorPosition(std::max(cursor, 0));
      return;
    }
    previous = text;
  });
}

void LimitTyping(QPlainTextEdit* memo, int limit) {
  if (limit <= 0) return;
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, limit, previous = memo->toPlainText()]() mutable {
    const QString text = memo->toPlainText();
    if (text.size() > limit && text.size() > previous.size()) {
      QSignalBlocker quiet(memo);
      const int cursor = memo->textCursor().position() - static_cast<int>(text.size() - previous.size());
      memo->setPlainText(previous);
      QTextCursor at = memo->textCursor();
      at.setPosition(std::clamp(cursor, 0, static_cast<int>(previous.size())));
      memo->setTextCursor(at);
      return;
    }
    previous = text;
  });
}

}  // namespace

DialogForm::DialogForm(TEnhanceFormDialog& dialog, port::WindowService* windows, QWidget* parent)
    : QDialog(parent), dialog_(dialog), windows_(windows) {
  const DialogWindow& state = dialog.Window;
  setObjectName("EnhanceFormDialog");
  setWindowTitle(Text(state.Caption) + (state.DesignMode ? " - [Edit]" : ""));
  // A caption with a close button; a dialog at run time stays in front of everything.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 (state.DesignMode ? Qt::WindowFlags() : Qt::WindowStaysOnTopHint));
  setFont(DialogQFont(state.Font));
  QPalette colours = palette();
  colours.setColor(QPalette::Window, DialogQColor(state.Colour, colours));
  setPalette(colours);
  setAutoFillBackground(true);

  for (std::size_t i = 0; i < dialog.Controls.size(); ++i) widgets_.push_back(Build(i));

  // The tab order is the controls' own order, whatever order their widgets were made in.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < dialog.Controls.size(); ++i)
    if (widgets_[i] && dialog.Focusable(dialog.Controls[i])) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&dialog](std::size_t a, std::size_t b) {
    return dialog.Controls[a].TabOrder < dialog.Controls[b].TabOrder;
  });
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(widgets_[order[i - 1]], widgets_[order[i]]);
  if (const auto focus = dialog.InitialFocus(); focus && widgets_[*focus]) widgets_[*focus]->setFocus();

  ApplyGeometry();

  if (state.TimeoutMs > 0) {
    timeout_.setSingleShot(true);
    timeout_.setInterval(state.TimeoutMs);
    connect(&timeout_, &QTimer::timeout, this, [this] { reject(); });
  }
  if (const auto label = dialog.CountdownLabel()) {
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, [this, label = *label] {
      const bool runOut = dialog_.CountdownTick();
      if (auto* shown = qobject_cast<QLabel*>(widgets_[label])) shown->setText(LabelMarkup(dialog_.Controls[label].Text, false));
      if (runOut) reject();
    });
  }
  frameWatch_.setInterval(20);
  connect(&frameWatch_, &QTimer::timeout, this, [this] { WatchFrame(); });
}

QWidget* DialogForm::Build(std::size_t index) {
  const DialogControl& control = dialog_.Controls[index];
  QWidget* widget = nullptr;
  switch (control.Kind) {
    case ControlKind::Button: {
      auto* button = new QPushButton(Text(control.Text), this);
      // Enter presses only a default button, never the one that happens to have the focus.
      button->setAutoDefault(false);
      button->setDefault(control.DefaultButton);
      if (!dialog_.Window.DesignMode)
        connect(button, &QPushButton::clicked, this, [this, index] {
          dialog_.PressButton(index);
          accept();
        });
      widget = button;
      break;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(Text(control.Text), this);
      box->setChecked(control.Checked);
      widget = box;
      break;
    }
    case ControlKind::Radio: {
      auto* radio = new QRadioButton(Text(control.Text), this);
      radio->setChecked(control.Checked);  // all radio buttons of the window form one group
      widget = radio;
      break;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(Text(control.Text), this);
      if (control.Password) {
        auto* style = new PasswordStyle;
        style->setParent(edit);
        edit->setStyle(style);
        edit->setEchoMode(QLineEdit::Password);
      }
      LimitTyping(edit, control.MaxLength);
      widget = edit;
      break;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(LabelMarkup(control.Text, control.WordWrap), this);
      label->setTextFormat(Qt::RichText);
      label->setWordWrap(control.WordWrap);
      const Qt::Alignment horizontal =
          control.Alignment == 1 ? Qt::AlignRight : control.Alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
      label->setAlignment(horizontal | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlKind::Memo: {
      auto* memo = new QPlainTextEdit(ToQtLines(control.Text), this);
      memo->setLineWrapMode(control.WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
      memo->setVerticalScrollBarPolicy(control.Scrolling == ScrollBars::None ? Qt::ScrollBarAlwaysOff
                                                                             : Qt::ScrollBarAsNeeded);
      memo->setHorizontalScrollBarPolicy(control.Scrolling == ScrollBars::Both ? Qt::ScrollBarAsNeeded
                                                                               : Qt::ScrollBarAlwaysOff);
      memo->setTabChangesFocus(!control.AcceptsTab);
      LimitTyping(memo, control.MaxLength);
      widget = memo;
      break;
    }
    case ControlKind::ComboBox: {
      auto* box = new QComboBox(this);
      for (const std::string& item : control.Items) box->addItem(Text(item));
      box->setCurrentIndex(control.Selected);
      widget = box;
      break;
    }
    case ControlKind::ListBox: {
      auto* list = new QListWidget(this);
      for (const std::string& item : control.Items) list->addItem(Text(item));
      list->setCurrentRow(control.Selected);
      widget = list;
      break;
    }
    case ControlKind::Shape: widget = new ShapeWidget(control, std::nullopt, this); break;
    case ControlKind::Image: {
      auto* image = new QLabel(this);
      image->setPixmap(ImagePicture(control));
      image->setScaledContents(control.Stretch);
      image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = image;
      break;
    }
    case ControlKind::Countdown: return nullptr;
  }
  widget->setObjectName(Text(control.Name));
  if (control.Font) widget->setFont(DialogQFont(*control.Font));
  widget->setGeometry(control.Bounds.left, control.Bounds.top, std::max(control.Bounds.width, 0),
                      std::max(control.Bounds.height, 0));
  return widget;
}

// The window's size and place: a side the definition gives as the outer size keeps it once the real frame is
// known; a side given as the client size keeps that. The frame's corner is where the dialog object puts it.
void DialogForm::ApplyGeometry() {
  const DialogWindow& state = dialog_.Window;
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const FrameMargins estimate = dialog_.Metrics().WindowFrame();
  const bool known = !frame.isNull();
  const int across = known ? frame.left() + frame.right() : estimate.Left + estimate.Right;
  const int down = known ? frame.top() + frame.bottom() : estimate.Top + estimate.Bottom;
  const int width = state.ClientWidth.value_or(state.Frame.width - across);
  const int height = state.ClientHeight.value_or(state.Frame.height - down);
  setFixedSize(std::max(width, 1), std::max(height, 1));
  move(state.Frame.left, state.Frame.top);
}

void DialogForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (dialog_.Window.TimeoutMs > 0) timeout_.start();
  if (dialog_.CountdownLabel()) countdown_.start();
  frameChecks_ = 0;
  frameWatch_.start();
}

// The window manager puts its frame around the window a moment after it is shown: then the size and place are
// set again with the real frame, and the window is brought to the front.
void DialogForm::WatchFrame() {
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const bool framed = !frame.isNull();
  if (framed) {
    QtDialogMetrics::RememberFrame({frame.left(), frame.top(), frame.right(), frame.bottom()});
    ApplyGeometry();
  }
  if (!activated_ && (framed || frameChecks_ > 0)) {
    activated_ = true;
    if (windows_) windows_->activate(static_cast<port::WindowId>(winId()));
    activateWindow();
    raise();
  }
  // Without a window manager (or a window system) no frame comes: after a second the window stays as it is.
  if (framed || ++frameChecks_ >= 50) frameWatch_.stop();
}

void DialogForm::StoreValues() {
  for (std::size_t i = 0; i < widgets_.size(); ++i) {
    DialogControl& control = dialog_.Controls[i];
    QWidget* widget = widgets_[i];
    if (auto* box = qobject_cast<QCheckBox*>(widget)) control.Checked = box->isChecked();
    else if (auto* radio = qobject_cast<QRadioButton*>(widget)) control.Checked = radio->isChecked();
    else if (auto* edit = qobject_cast<QLineEdit*>(widget)) control.Text = edit->text().toStdString();
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
      control.Text = ToCrLf(memo->toPlainText());
    else if (auto* combo = qobject_cast<QComboBox*>(widget)) control.Selected = combo->currentIndex();
    else if (auto* list = qobject_cast<QListWidget*>(widget)) control.Selected = list->currentRow();
  }
  const QRect frame = frameGeometry();
  dialog_.Window.Frame = {frame.x(), frame.y(), frame.width(), frame.height()};
}

void DialogForm::done(int result) {
  timeout_.stop();
  countdown_.stop();
  frameWatch_.stop();
  StoreValues();
  // A dialog that has closed no longer stays in front of other windows.
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  QDialog::done(result);
}

}  // namespace tw
