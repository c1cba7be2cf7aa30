#pragma once

#include <functional>
#include <string>
#include <vector>

namespace forms {

// One entry of a window's menu bar. The model is the truth; views follow it
// through the change callback.
class MenuItem {
  public:
    MenuItem(std::string name, int index, std::string caption, std::string shortcut);

    const std::string& Name() const { return name_; }
    // Index within a control array, or -1 for a plain item.
    int Index() const { return index_; }

    const std::string& Caption() const { return caption_; }
    void Caption(std::string caption);
    bool Enabled() const { return enabled_; }
    void Enabled(bool enabled);
    bool Visible() const { return visible_; }
    void Visible(bool visible);
    bool Checked() const { return checked_; }
    void Checked(bool checked);
    // Portable key text such as "Ctrl+O"; empty for none.
    const std::string& Shortcut() const { return shortcut_; }

    MenuItem* Parent() const { return parent_; }
    const std::vector<MenuItem*>& Children() const { return children_; }
    void addChild(MenuItem& child);

    // Raised by the view (through the dispatcher) when the user chooses the item.
    std::function<void()> Click;
    // Called after every change of caption or state, for the view.
    std::function<void(const MenuItem&)> changed;

  private:
    void notify();

    std::string name_;
    int index_;
    std::string caption_;
    std::string shortcut_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    MenuItem* parent_ = nullptr;
    std::vector<MenuItem*> children_;
};

} // namespace forms
