#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace platform {

// The invisible common-dialog component: its properties are plain values,
// its two dialogs are modal and return when the user closes them.
class CommonDialog {
  public:
    virtual ~CommonDialog() = default;

    // Shows the Open dialog. A choice sets FileName; a cancel sets it to "".
    virtual void ShowOpen() = 0;
    // Shows the colour picker with Color selected. OK sets Color; a cancel leaves it.
    virtual void ShowColor() = 0;

    const std::string& FileName() const { return fileName_; }
    void FileName(std::string fileName) { fileName_ = std::move(fileName); }
    // 0x00BBGGRR
    std::int32_t Color() const { return color_; }
    void Color(std::int32_t color) { color_ = color; }
    // "Description|pattern;pattern|Description|pattern"
    const std::string& Filter() const { return filter_; }
    void Filter(std::string filter) { filter_ = std::move(filter); }

  private:
    std::string fileName_;
    std::int32_t color_ = 0;
    std::string filter_;
};

} // namespace platform
