#pragma once

#include "CommonDialog.h"

#include <QColor>
#include <QStringList>

namespace platform {

// The common dialog over Qt's own (non-native) file and colour dialogs, so
// that it looks and behaves the same on every desktop.
class QtCommonDialog : public CommonDialog {
  public:
    void ShowOpen() override;
    void ShowColor() override;
};

// "All Movie Files|*.mpeg;*.mpg|All Files|*.*" in Qt's form:
// {"All Movie Files (*.mpeg *.mpg)", "All Files (*)"}.
QStringList qtNameFilters(const std::string& filter);
// Colours cross the component as 0x00BBGGRR.
QColor fromColorRef(std::int32_t colorRef);
std::int32_t toColorRef(const QColor& color);

} // namespace platform
