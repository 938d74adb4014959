#include "dialogs/designer/qt/design_popup_menu.h"

#include <QActionGroup>
#include <array>
#include <utility>

#include "dialogs/designer/design_mouse.h"
#include "dialogs/designer/dialog_designer.h"

namespace tw {

void FillDesignMenu(QMenu& menu, int grid, const DesignMenuActions& actions) {
  menu.setObjectName("DesignPopupMenu");
  menu.addAction("Properties", actions.Properties);
  menu.addSeparator();
  menu.addAction("Help...", actions.Help);
  menu.addAction("Preview...", actions.Preview);
  menu.addAction("Tab Order...", actions.TabOrder);
  menu.addSeparator();

  QMenu* adding = menu.addMenu("Add");
  static constexpr std::array<std::pair<const char*, char>, 10> kinds{{{"Button", 'B'},
                                                                       {"Check Box", 'C'},
                                                                       {"Combo Box", 'O'},
                                                                       {"Edit", 'E'},
                                                                       {"Label", 'L'},
                                                                       {"List Box", 'S'},
                                                                       {"Memo", 'M'},
                                                                       {"Radio Box", 'R'},
                                                                       {"Image", 'I'},
                                                                       {"Shape", 'H'}}};
  for (const auto& [caption, letter] : kinds)
    adding->addAction(caption, [add = actions.Add, letter = letter] { add(letter); });

  QMenu* grids = menu.addMenu("Grid...");
  auto* group = new QActionGroup(grids);
  for (const int size : kDesignGridSizes) {
    const QString caption = QString::number(size);
    QAction* item = grids->addAction(caption);
    item->setCheckable(true);
    item->setActionGroup(group);
    item->setChecked(GridItemSize(caption.toStdString()) == grid);
    QObject::connect(item, &QAction::triggered, &menu, [set = actions.Grid, caption] {
      if (const auto pixels = GridItemSize(caption.toStdString())) set(*pixels);
    });
  }
  menu.addSeparator();
  QAction* duplicate = menu.addAction("Duplicate");
  if (actions.Duplicate)
    QObject::connect(duplicate, &QAction::triggered, &menu, actions.Duplicate);
  else
    duplicate->setEnabled(false);
  menu.addAction("Delete", actions.Delete);
  menu.addSeparator();
  menu.addAction("Close", actions.Close);
}

}  // namespace tw
