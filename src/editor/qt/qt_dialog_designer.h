#pragma once
// The editor's Dialog Editor on Qt: the conversion question as a Yes/No box, and the design surface.

#include <QWidget>

#include "editor/dialog_editor.h"

namespace tw {

class QtDialogDesigner : public editor::DialogDesigner {
 public:
  QtDialogDesigner(ScriptHost& host, QWidget* parent) : host_(host), parent_(parent) {}

  bool ConfirmConversion(const std::string& question) override;
  std::optional<std::vector<std::string>> Design(const std::vector<std::string>& definition, int lineBase) override;

 private:
  ScriptHost& host_;
  QWidget* parent_;
};

}  // namespace tw
