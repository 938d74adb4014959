#pragma once
// "Sub/Func List": the subs, functions, procedures and labels of the active page in a sortable list. Going to
// an entry selects its definition on the entry's own line; "Use" inserts a call to it at the caret.

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "editor/function_list.h"

class QPushButton;

namespace tw {

class TSortListView;

class TFormFunctionList : public QWidget {
  Q_OBJECT

 public:
  struct Callbacks {
    std::function<std::string()> pageText;
    std::function<void(const editor::FunctionEntry&)> gotoEntry;
    std::function<void(const editor::FunctionEntry&)> useEntry;
  };
  // `settingsFile` keeps where the window was (section "FunctionList").
  TFormFunctionList(Callbacks callbacks, std::string settingsFile, QWidget* parent = nullptr);
  ~TFormFunctionList() override;

  // Lists the page anew and shows the window.
  void Open();
  // Lists the page anew.
  void Refresh();
  // The entry of the list's current item, or null.
  const editor::FunctionEntry* CurrentEntry() const;
  void GotoCurrent();
  void UseCurrent();

  TSortListView* ListView = nullptr;
  QPushButton* BtnGoto = nullptr;
  QPushButton* BtnUse = nullptr;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void SavePlacement();

  Callbacks callbacks_;
  std::string settingsFile_;
  std::vector<editor::FunctionEntry> entries_;
};

}  // namespace tw
