// A Qt window that writes everything typed into it to a file, for typing tests: the editor's whole text
// goes to FILE after every change. Ctrl+S opens a "Save As" dialog, as editors do; the name typed there
// and confirmed with Enter goes to FILE.name.
// Usage: qt_typing_sink TITLE FILE

#include <QApplication>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QShortcut>

namespace {

void Save(const QString& path, const QString& text) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(text.toUtf8());
  file.commit();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3) return 2;
  const QString path = QString::fromLocal8Bit(argv[2]);
  QPlainTextEdit editor;
  editor.setWindowTitle(QString::fromUtf8(argv[1]));
  editor.resize(500, 300);
  QObject::connect(&editor, &QPlainTextEdit::textChanged, [&] { Save(path, editor.toPlainText()); });
  QShortcut save(QKeySequence(QStringLiteral("Ctrl+S")), &editor);
  QObject::connect(&save, &QShortcut::activated, [&] {
    bool ok = false;
    const QString name = QInputDialog::getText(&editor, QStringLiteral("Save As"), QStringLiteral("File name:"),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok) Save(path + QStringLiteral(".name"), name);
  });
  editor.show();
  return QApplication::exec();
}
