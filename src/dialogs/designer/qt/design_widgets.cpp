#include "dialogs/designer/qt/design_widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "dialogs/definition_text.h"
#include "dialogs/qt/dialog_fonts.h"
#include "dialogs/qt/dialog_line_breaks.h"
#include "dialogs/qt/dialog_palette.h"
#include "dialogs/qt/dialog_pictures.h"
#include "dialogs/qt/shape_widget.h"

namespace tw {

namespace {

void PaintGreen(QWidget* widget, QPalette::ColorRole role) {
  QPalette colours = widget->palette();
  colours.setColor(role, DialogQColor(kClMoneyGreen, colours));
  widget->setPalette(colours);
  widget->setAutoFillBackground(true);
}

QPlainTextEdit* TextMemo(const QString& text, bool wrap, QWidget* surface) {
  auto* memo = new QPlainTextEdit(text, surface);
  memo->setFrameShape(QFrame::NoFrame);
  memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return memo;
}

// A memo standing for a label or a list: the caption, or the items with ';' between them.
QWidget* Substitute(TEnhanceFormDialog& dialog, std::size_t index, QWidget* surface) {
  const DialogControl& control = dialog.Controls[index];
  const bool list = control.Kind != ControlKind::Label;
  QPlainTextEdit* memo = TextMemo(list ? QString::fromStdString(JoinItems(control.Items)) : ToQtLines(control.Text),
                                  !list && control.WordWrap, surface);
  PaintGreen(memo, QPalette::Base);
  QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [&dialog, index, memo, list] {
    DialogControl& edited = dialog.Controls[index];
    if (list)
      edited.Items = SplitItems(memo->toPlainText().toStdString());
    else
      edited.Text = ToCrLf(memo->toPlainText());
  });
  return memo;
}

QWidget* Build(TEnhanceFormDialog& dialog, std::size_t index, QWidget* surface) {
  const DialogControl& control = dialog.Controls[index];
  switch (control.Kind) {
    case ControlKind::Label:
    case ControlKind::ComboBox:
    case ControlKind::ListBox: return Substitute(dialog, index, surface);
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(QString::fromStdString(control.Text), surface);
      edit->setFrame(false);
      if (control.Password) edit->setEchoMode(QLineEdit::Password);
      QObject::connect(edit, &QLineEdit::textEdited, edit,
                       [&dialog, index](const QString& text) { dialog.Controls[index].Text = text.toStdString(); });
      return edit;
    }
    case ControlKind::Memo: {
      QPlainTextEdit* memo = TextMemo(ToQtLines(control.Text), control.WordWrap, surface);
      QObject::connect(memo, &QPlainTextEdit::textChanged, memo,
                       [&dialog, index, memo] { dialog.Controls[index].Text = ToCrLf(memo->toPlainText()); });
      return memo;
    }
    case ControlKind::CheckBox:
    case ControlKind::Radio: {
      QAbstractButton* box =
          control.Kind == ControlKind::CheckBox
              ? static_cast<QAbstractButton*>(new QCheckBox(QString::fromStdString(control.Text), surface))
              : new QRadioButton(QString::fromStdString(control.Text), surface);
      box->setAutoExclusive(false);  // each keeps the mark its line gives it
      box->setChecked(control.Checked);
      // Buttons fill with the Button role, which styles also draw the mark with: the green goes behind.
      box->setBackgroundRole(QPalette::Window);
      PaintGreen(box, QPalette::Window);
      return box;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(QString::fromStdString(control.Text), surface);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::Shape: return new ShapeWidget(control, DialogQColor(kClWindow, surface->palette()), surface);
    case ControlKind::Image: {
      auto* image = new QLabel(surface);
      image->setPixmap(ImagePicture(control));
      image->setScaledContents(control.Stretch);
      image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return image;
    }
    case ControlKind::Countdown: break;
  }
  return nullptr;
}

}  // namespace

QWidget* BuildDesignWidget(TEnhanceFormDialog& dialog, std::size_t control, QWidget* surface) {
  QWidget* widget = Build(dialog, control, surface);
  if (!widget) return nullptr;
  const DialogControl& shown = dialog.Controls[control];
  widget->setObjectName(QString::fromStdString(shown.Name));
  if (shown.Font) widget->setFont(DialogQFont(*shown.Font));
  widget->setGeometry(shown.Bounds.left, shown.Bounds.top, std::max(shown.Bounds.width, 0),
                      std::max(shown.Bounds.height, 0));
  return widget;
}

}  // namespace tw
