#pragma once

#include "FormView.h"

#include <QSize>

class QWidget;

// Pixel and twips arithmetic shared by the Qt views of forms.
namespace forms::qt {

int toPixels(float twips);
float toTwips(int pixels);
// The frame the window manager draws round a top-level widget; until it has
// framed the widget, what it announced (nothing, if it did not).
QSize decorations(const QWidget& window, QSize announced = {});
void showInState(QWidget& window, WindowState state);

} // namespace forms::qt
