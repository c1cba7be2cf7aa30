#pragma once

#include "MessageBoxes.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <string>

namespace app {

// Troubles with the settings file, told to the user over the player window:
// none before the window is shown, one box at a time (a trouble that comes up
// while a box is open waits for it), and the box kept over the window while
// the window is fitted round a film that opens meanwhile.
class SettingsTroubles : public QObject {
  public:
    explicit SettingsTroubles(platform::MessageBoxes& boxes) : boxes_(boxes) {}

    // Told once the window is shown and the event that found it is over.
    void tell(const std::string& trouble);
    void windowShown(QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void tellWaiting();

    platform::MessageBoxes& boxes_;
    QPointer<QWidget> window_;
    std::deque<std::string> waiting_;
    bool telling_ = false;
};

} // namespace app
