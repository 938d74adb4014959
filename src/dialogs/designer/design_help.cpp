#include "dialogs/designer/design_help.h"

namespace tw {

const std::vector<std::string>& DesignHelpDefinition() {
  static const std::vector<std::string> lines{
      "WINDOW,0,0,401,258,1,\"Tahoma\",9,N,\"Enhance Dialog Help\"",
      "WINDOW1,0.00,clBtnFace",
      "I1,5,5,32,32,0,\"\",0,0,2,0,0,0,\"\"",
      "L2,48,8,330,16,0,\"Tahoma\",9,B,0,0,0,\"Basic Operations\"",
      "L3,48,30,330,150,0,\"Tahoma\",9,N,0,1,0,\"Click a control to select it. Drag a selected control to move it, "
      "or drag its bottom-right corner to change its size; positions and sizes snap to the grid.&nl&&nl&"
      "Hold Shift and click to select several controls (or to take one out of the selection); dragging any of "
      "them moves them all.&nl&&nl&Right-click a control or the dialog for the menu: add, duplicate and delete "
      "controls, edit properties and the tab order, preview the dialog and choose the grid. Close the dialog to "
      "save or discard your changes.\"",
      "B4,304,192,75,25,1,\"Tahoma\",9,N,0,0,0,\"Ok\"",
  };
  return lines;
}

}  // namespace tw
