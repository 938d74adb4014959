#include "dialogs/designer/qt/form_component_properties.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/definition_text.h"
#include "dialogs/qt/dialog_fonts.h"
#include "dialogs/qt/dialog_line_breaks.h"
#include "dialogs/qt/dialog_palette.h"
#include "dialogs/qt/dialog_pictures.h"

namespace tw {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The font and colour dialogs are Qt's own, so that they look and behave the same on every desktop.
std::optional<DialogFont> PickFont(QWidget* parent, const DialogFont& current) {
  QFontDialog dialog(DialogQFont(current), parent);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return DialogFontOf(dialog.selectedFont());
}

std::optional<std::int32_t> PickColour(QWidget* parent, std::int32_t current) {
  QColorDialog dialog(DialogQColor(current, parent->palette()), parent);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return DialogColourOf(dialog.selectedColor());
}

// A colour button shows its colour in its caption.
void ShowColour(QPushButton* button, std::int32_t colour) {
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, DialogQColor(colour, palette));
  button->setPalette(palette);
}

QComboBox* ComboWith(const QStringList& items, bool editable, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->addItems(items);
  combo->setEditable(editable);
  return combo;
}

}  // namespace

TFormComponentProperties::TFormComponentProperties(TEnhanceFormDialog& dialog, std::optional<std::size_t> control,
                                                   QWidget* parent)
    : QDialog(parent, Qt::Tool), dialog_(dialog), control_(control) {
  if (control_ && *control_ >= dialog_.Controls.size()) control_.reset();
  setWindowTitle("Component Properties");
  setMinimumSize(360, 270);
  setSizeGripEnabled(true);

  PageControl = new QTabWidget(this);
  PageControl->addTab(MakeComponentsPage(), "Components");
  PageControl->addTab(MakeDialogPage(), "Dialog");
  PageControl->addTab(MakeImagePage(), "Image");
  PageControl->addTab(MakeShapePage(), "Shape");

  auto* buttons = new QDialogButtonBox(this);
  ButtOk = buttons->addButton("&Ok", QDialogButtonBox::AcceptRole);
  ButtCancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  ButtOk->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormComponentProperties::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormComponentProperties::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl, 1);
  layout->addWidget(buttons);

  const PropertyPage page = control_ ? PropertyPageFor(dialog_.Controls[*control_].Kind) : PropertyPage::Dialog;
  const int shown = static_cast<int>(page);
  for (int i = 0; i < PageControl->count(); ++i) PageControl->setTabVisible(i, i == shown);
  PageControl->setCurrentIndex(shown);
  if (control_)
    FillControl();
  else
    FillDialog();
}

QWidget* TFormComponentProperties::MakeComponentsPage() {
  auto* page = new QWidget(this);
  LabelNamePrefix = new QLabel(page);
  QFont bold = LabelNamePrefix->font();
  bold.setBold(true);
  LabelNamePrefix->setFont(bold);
  EditName = new QLineEdit(page);
  CheckFocused = new QCheckBox("&Focused", page);
  EditText = new QPlainTextEdit(page);
  CheckChecked = new QCheckBox("&Checked/Selected", page);
  CheckWordWrap = new QCheckBox("&Word Wrap", page);
  CheckPassword = new QCheckBox("&Password", page);
  ComboAlign = ComboWith({"Left", "Right", "Center"}, false, page);
  EditMaxLength = new QLineEdit(page);
  ButtFont = new QPushButton("F&ont...", page);
  connect(CheckWordWrap, &QCheckBox::toggled, this, &TFormComponentProperties::ShowWordWrap);
  connect(EditMaxLength, &QLineEdit::textEdited, this, &TFormComponentProperties::KeepMaxLengthWhole);
  connect(ButtFont, &QPushButton::clicked, this, &TFormComponentProperties::ChooseTextFont);

  auto* name = new QHBoxLayout;
  name->setSpacing(0);
  name->addWidget(LabelNamePrefix);
  name->addWidget(EditName, 1);
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel("Name:", page), 0, 0);
  grid->addLayout(name, 0, 1);
  grid->addWidget(CheckFocused, 0, 2);
  grid->addWidget(new QLabel("Caption/Text", page), 1, 0, 1, 3);
  grid->addWidget(EditText, 2, 0, 1, 3);
  grid->addWidget(CheckChecked, 3, 0);
  grid->addWidget(CheckWordWrap, 3, 1);
  grid->addWidget(CheckPassword, 3, 2);
  grid->addWidget(new QLabel("Align", page), 4, 0);
  grid->addWidget(ComboAlign, 4, 1);
  grid->addWidget(ButtFont, 4, 2);
  grid->addWidget(new QLabel("Max Length", page), 5, 0);
  grid->addWidget(EditMaxLength, 5, 1);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

QWidget* TFormComponentProperties::MakeDialogPage() {
  auto* page = new QWidget(this);
  EditTitle = new QLineEdit(page);
  ButtDialogFont = new QPushButton("F&ont...", page);
  ComboTimeout = ComboWith({"1", "2", "4", "5", "10", "15", "20", "30", "60"}, true, page);
  ButtFormColor = new QPushButton("Form Color...", page);
  ComboPosition = ComboWith({"Default", "Center", "Last Position"}, false, page);
  connect(ButtDialogFont, &QPushButton::clicked, this, &TFormComponentProperties::ChooseDialogFont);
  connect(ButtFormColor, &QPushButton::clicked, this, &TFormComponentProperties::ChooseFormColour);

  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel("Dialog Title:", page), 0, 0);
  grid->addWidget(EditTitle, 0, 1, 1, 2);
  grid->addWidget(new QLabel("Timeout:\n(Sec)", page), 1, 0);
  grid->addWidget(ComboTimeout, 1, 1);
  grid->addWidget(ButtDialogFont, 1, 2);
  grid->addWidget(new QLabel("Position:", page), 2, 0);
  grid->addWidget(ComboPosition, 2, 1);
  grid->addWidget(ButtFormColor, 2, 2);
  grid->setRowStretch(3, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

QWidget* TFormComponentProperties::MakeImagePage() {
  auto* page = new QWidget(this);
  EditImageFile = new QLineEdit(page);
  ListImages = new QListWidget(page);
  ListImages->setIconSize(QSize(32, 32));
  for (int i = 0; i < kDialogPictureCount; ++i) ListImages->addItem(new QListWidgetItem(QIcon(DialogPicture(i)), ""));
  CheckStretch = new QCheckBox("&Stretch", page);

  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel("Image File:", page), 0, 0);
  grid->addWidget(EditImageFile, 0, 1);
  grid->addWidget(new QLabel("Image:", page), 1, 0, Qt::AlignTop);
  grid->addWidget(ListImages, 1, 1);
  grid->addWidget(CheckStretch, 2, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

QWidget* TFormComponentProperties::MakeShapePage() {
  auto* page = new QWidget(this);
  ComboShape = ComboWith({"Rectangle", "Square", "RoundRect", "RoundSquare", "Ellipse", "Circle"}, false, page);
  ButtPenColor = new QPushButton("Pen Color...", page);
  ComboPenWidth = ComboWith({"1", "2", "4", "6", "8", "10", "12", "14"}, true, page);
  connect(ButtPenColor, &QPushButton::clicked, this, &TFormComponentProperties::ChoosePenColour);

  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel("Shape", page), 0, 0);
  grid->addWidget(ComboShape, 0, 1);
  grid->addWidget(new QLabel("Pen Width", page), 1, 0);
  grid->addWidget(ComboPenWidth, 1, 1);
  grid->addWidget(ButtPenColor, 2, 1);
  grid->setRowStretch(3, 1);
  grid->setColumnStretch(1, 1);
  return page;
}

void TFormComponentProperties::FillControl() {
  const ControlKind kind = dialog_.Controls[*control_].Kind;
  controlValues_ = PropertiesOf(dialog_, *control_);
  const ComponentFields fields = ComponentFieldsOf(kind);

  LabelNamePrefix->setText(QString(QChar(static_cast<char>(kind))));
  EditName->setText(Text(controlValues_.Name.substr(std::min<std::size_t>(1, controlValues_.Name.size()))));
  CheckFocused->setChecked(controlValues_.Focused);
  EditText->setPlainText(ToQtLines(controlValues_.Text));
  EditText->setFont(DialogQFont(controlValues_.Font));
  EditText->selectAll();
  CheckChecked->setChecked(controlValues_.Checked);
  CheckChecked->setEnabled(fields.Checked);
  CheckWordWrap->setChecked(controlValues_.WordWrap);
  CheckWordWrap->setEnabled(fields.WordWrap);
  ShowWordWrap(controlValues_.WordWrap);
  ComboAlign->setCurrentIndex(std::clamp(controlValues_.Alignment, 0, 2));
  ComboAlign->setEnabled(fields.Alignment);
  CheckPassword->setChecked(controlValues_.Password);
  CheckPassword->setEnabled(fields.Password);
  EditMaxLength->setText(Text(controlValues_.MaxLength));
  EditMaxLength->setEnabled(fields.MaxLength);

  EditImageFile->setText(Text(controlValues_.FileName));
  if (controlValues_.ImageIndex >= 0 && controlValues_.ImageIndex < ListImages->count())
    ListImages->setCurrentRow(controlValues_.ImageIndex);
  CheckStretch->setChecked(controlValues_.Stretch);

  ComboShape->setCurrentIndex(controlValues_.Shape);
  ShowColour(ButtPenColor, controlValues_.PenColour);
  ComboPenWidth->setCurrentText(Text(controlValues_.PenWidth));

  if (PropertyPageFor(kind) == PropertyPage::Components) EditText->setFocus();
}

void TFormComponentProperties::FillDialog() {
  dialogValues_ = PropertiesOf(dialog_);
  EditTitle->setText(Text(dialogValues_.Caption));
  ComboTimeout->setCurrentText(Text(dialogValues_.Timeout));
  ComboPosition->setCurrentIndex(std::clamp(dialogValues_.PositionMode, 0, 2));
  ShowColour(ButtFormColor, dialogValues_.Colour);
  EditTitle->setFocus();
}

ControlProperties TFormComponentProperties::ControlValues() const {
  ControlProperties values = controlValues_;
  switch (PropertyPageFor(dialog_.Controls[*control_].Kind)) {
    case PropertyPage::Components:
      values.Name = (LabelNamePrefix->text() + EditName->text()).toStdString();
      values.Focused = CheckFocused->isChecked();
      values.Text = ToCrLf(EditText->toPlainText());
      values.Checked = CheckChecked->isChecked();
      values.WordWrap = CheckWordWrap->isChecked();
      values.Alignment = ComboAlign->currentIndex();
      values.Password = CheckPassword->isChecked();
      values.MaxLength = EditMaxLength->text().toStdString();
      break;
    case PropertyPage::Image:
      values.FileName = EditImageFile->text().toStdString();
      if (ListImages->currentRow() >= 0) values.ImageIndex = ListImages->currentRow();
      values.Stretch = CheckStretch->isChecked();
      break;
    case PropertyPage::Shape:
      values.Shape = ComboShape->currentIndex();
      values.PenWidth = ComboPenWidth->currentText().toStdString();
      break;
    case PropertyPage::Dialog: break;
  }
  return values;
}

DialogProperties TFormComponentProperties::DialogValues() const {
  DialogProperties values = dialogValues_;
  values.Caption = EditTitle->text().toStdString();
  values.Timeout = ComboTimeout->currentText().toStdString();
  values.PositionMode = ComboPosition->currentIndex();
  return values;
}

void TFormComponentProperties::accept() {
  if (!control_) {
    StoreProperties(dialog_, DialogValues());
  } else if (const auto problem = StoreProperties(dialog_, *control_, ControlValues())) {
    QMessageBox::critical(this, "Error", Text(*problem));
    return;
  }
  QDialog::accept();
}

void TFormComponentProperties::ShowWordWrap(bool wrap) {
  EditText->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  EditText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  EditText->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

void TFormComponentProperties::KeepMaxLengthWhole() {
  if (!ParseDefinitionInteger(EditMaxLength->text().toStdString())) EditMaxLength->setText("0");
}

void TFormComponentProperties::ChooseTextFont() {
  if (const auto font = PickFont(this, controlValues_.Font)) {
    controlValues_.Font = *font;
    EditText->setFont(DialogQFont(*font));
  }
}

void TFormComponentProperties::ChooseDialogFont() {
  if (const auto font = PickFont(this, dialogValues_.Font)) dialogValues_.Font = *font;
}

void TFormComponentProperties::ChooseFormColour() {
  if (const auto colour = PickColour(this, dialogValues_.Colour)) {
    dialogValues_.Colour = *colour;
    ShowColour(ButtFormColor, *colour);
  }
}

void TFormComponentProperties::ChoosePenColour() {
  if (const auto colour = PickColour(this, controlValues_.PenColour)) {
    controlValues_.PenColour = *colour;
    ShowColour(ButtPenColor, *colour);
  }
}

}  // namespace tw
