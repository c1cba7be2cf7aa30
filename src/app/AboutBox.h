#pragma once

class QWidget;

namespace app {

// Loads the About dialog afresh and shows it modally over the owner.
void showAboutBox(QWidget& owner);

} // namespace app
