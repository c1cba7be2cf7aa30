#pragma once

#include "FormLayout.h"
#include "MenuItem.h"

#include <deque>
#include <span>
#include <string_view>
#include <vector>

namespace forms {

// The menus of one window, built once from its stored table.
class MenuBar {
  public:
    explicit MenuBar(std::span<const MenuRow> rows);
    MenuBar(const MenuBar&) = delete;
    MenuBar& operator=(const MenuBar&) = delete;

    // The plain item of that name; throws std::out_of_range for an unknown name.
    MenuItem& item(std::string_view name);
    // The items of a control array, by index.
    std::vector<MenuItem*> array(std::string_view name);
    const std::vector<MenuItem*>& topLevel() const { return topLevel_; }
    std::vector<MenuItem*> all();

  private:
    MenuItem* find(std::string_view name, int index);

    std::deque<MenuItem> items_; // deque: addresses stay put while the table is read
    std::vector<MenuItem*> topLevel_;
};

} // namespace forms
