#pragma once
// A designer on a dialog object with the fixed test measures, and a mouse that speaks in client coordinates:
// it hands each event to the designer relative to the control as the toolkit would.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "dialogs/designer/dialog_designer.h"
#include "dialogs/dialog_test_support.h"

namespace tw::test {

struct DesignerFixture : DialogFixture {
  // Opens the lines in the designer (an empty list: a new dialog).
  bool Open(std::vector<std::string> lines) {
    dialog.Definition = std::move(lines);
    return designer.Open();
  }
  std::size_t Index(std::string_view name) {
    const auto index = dialog.FindControl(name);
    EXPECT_TRUE(index.has_value()) << name;
    return index.value_or(0);
  }
  port::Point Inside(std::size_t control, port::Point client) {
    const port::Rect& bounds = dialog.Controls[control].Bounds;
    return {client.x - bounds.left, client.y - bounds.top};
  }
  // A press at a client point on the named control, released at once unless a drag follows.
  void Press(std::string_view name, port::Point client, bool shift = false, DesignButton button = DesignButton::Left) {
    pressed = Index(name);
    designer.Mouse().Press(pressed, button, shift, Inside(pressed, client));
  }
  void Click(std::string_view name, bool shift = false) {
    const port::Rect& bounds = Control(name).Bounds;
    Press(name, {bounds.left + 1, bounds.top + 1}, shift);
    designer.Mouse().Release();
  }
  void DragTo(port::Point client) {
    designer.Mouse().Move(Inside(pressed, client));
    designer.Mouse().Release();
  }
  std::vector<std::string> SelectedNames() {
    std::vector<std::string> names;
    for (const std::size_t index : designer.Selection().Controls()) names.push_back(dialog.Controls[index].Name);
    return names;
  }
  std::vector<std::string> Saved() {
    designer.Save();
    return dialog.Definition;
  }

  DialogDesigner designer{dialog};
  std::size_t pressed = 0;
};

// A 400 x 300 dialog in Tahoma 9 with the given control lines.
inline std::vector<std::string> DialogWith(std::vector<std::string> controls) {
  std::vector<std::string> lines{"WINDOW,0,0,400,300,0,\"Tahoma\",9,N,\"T\"", "WINDOW1,0"};
  lines.insert(lines.end(), controls.begin(), controls.end());
  return lines;
}

}  // namespace tw::test
