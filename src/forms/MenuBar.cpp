#include "MenuBar.h"

#include <stdexcept>
#include <string>

namespace forms {

MenuBar::MenuBar(std::span<const MenuRow> rows)
{
    for (const MenuRow& row : rows) {
        MenuItem& item =
            items_.emplace_back(std::string(row.name), row.index, std::string(row.caption), std::string(row.shortcut));
        item.Enabled(row.enabled);
        item.Visible(row.visible);
        item.Checked(row.checked);
        if (row.parent.empty()) {
            topLevel_.push_back(&item);
        } else {
            MenuItem* parent = find(row.parent, -1);
            if (!parent)
                throw std::logic_error("menu table: parent " + std::string(row.parent) + " comes after its child");
            parent->addChild(item);
        }
    }
}

MenuItem* MenuBar::find(std::string_view name, int index)
{
    for (MenuItem& item : items_) {
        if (item.Name() == name && item.Index() == index)
            return &item;
    }
    return nullptr;
}

MenuItem& MenuBar::item(std::string_view name)
{
    if (MenuItem* found = find(name, -1))
        return *found;
    throw std::out_of_range("no menu item " + std::string(name));
}

std::vector<MenuItem*> MenuBar::array(std::string_view name)
{
    std::vector<MenuItem*> result;
    for (MenuItem& item : items_) {
        if (item.Name() == name && item.Index() >= 0) {
            if (static_cast<size_t>(item.Index()) >= result.size())
                result.resize(item.Index() + 1, nullptr);
            result[item.Index()] = &item;
        }
    }
    return result;
}

std::vector<MenuItem*> MenuBar::all()
{
    std::vector<MenuItem*> result;
    for (MenuItem& item : items_)
        result.push_back(&item);
    return result;
}

} // namespace forms
