#pragma once

#include "Form.h"
#include "FormView.h"
#include "HostedControl.h"
#include "MenuBar.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QMimeData;
class QMenu;

namespace platform::x11 {
class FrameExtentsProbe;
}

namespace forms {

// The player window on screen: a QMainWindow with the form's menu bar and a
// client area that hosts the controls. It follows the model and reports what
// the user and the window manager do back to it.
class QtFormView : public QMainWindow, public FormView {
    Q_OBJECT
  public:
    QtFormView(Form& form, MenuBar& menus);
    ~QtFormView() override;

    // Hosts a control's widget in the client area, placed by its extender.
    void host(HostedControl& control, QWidget& widget);

    TwipsSize resizeOuter(TwipsSize requested) override;
    void moveOuter(TwipsPoint topLeft) override;
    TwipsSize frameAllowance() const override;
    void setWindowState(WindowState state) override;
    std::uintptr_t nativeHandle() const override;

    // Fills the screen with the hosted control alone (no menu bar), or gives
    // the window back as it was. The model sees full screen as maximised, so
    // the window's own size rules neither run nor record anything meanwhile.
    void setFullScreen(bool on);
    bool fullScreen() const { return fullScreen_; }
    // Turns over the state asked for last, not the one the window manager
    // reported last: presses faster than it answers still count one each.
    void toggleFullScreen() { setFullScreen(!wantFullScreen_); }

    // Offered every key that reaches the window itself (the control does not
    // have the focus) before it is raised as the form's KeyPress; returns
    // whether it acted on it. Typed keys are raised all the same.
    std::function<bool(const QKeyEvent&)> keyAction;

  signals:
    // The window came to fill the screen or left it, whoever asked.
    void fullScreenChanged(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void addMenu(MenuItem& item, QMenu* parentMenu);
    QSize decorations() const;
    void needAnnouncedFrame() const;
    int menuBarHeight(int windowWidth) const;
    TwipsSize outerSize() const;
    void reportGeometry();

    Form& form_;
    QWidget* client_;
    // The frame the window manager announced before the window was shown
    // (the probe asks for it); the real one replaces it once the window is framed.
    std::unique_ptr<platform::x11::FrameExtentsProbe> frameProbe_;
    QSize announcedFrame_;
    // Where the client sits inside that frame: its left and top edges.
    std::optional<QPoint> announcedClientOffset_;
    // Size reports from the window system come in bursts and may be stale;
    // they are settled once the burst is over.
    QTimer settle_;
    std::vector<std::pair<HostedControl*, QWidget*>> hosted_;
    bool fullScreen_ = false;
    // Full screen as last asked for by the program, and whether the window
    // manager may still be catching up with it.
    bool wantFullScreen_ = false;
    bool askingFullScreen_ = false;
    int fullScreenRetries_ = 0;
};

// The local file that a drop brings, as the file system names it: the first
// of several; none for a web address, a relative path, text or a folder.
std::optional<std::string> droppedFile(const QMimeData& data);

} // namespace forms
