#include "QtFormView.h"

#include "Keys.h"
#include "QtGeometry.h"

#include "FileUri.h"
#include "X11.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QWindow>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace forms {

using qt::toPixels;
using qt::toTwips;

namespace {

void follow(QAction& action, const MenuItem& item)
{
    // "&" marks an access key in a menu's own captions; the items of a
    // control array (the recent files) show file names, which show as they are.
    QString text = QString::fromStdString(item.Caption());
    if (item.Index() >= 0)
        text.replace('&', "&&");
    action.setText(text);
    action.setEnabled(item.Enabled());
    action.setVisible(item.Visible());
    // Only a checked item shows a mark, and Qt must never toggle it on its own.
    action.setCheckable(item.Checked());
    action.setChecked(item.Checked());
}

} // namespace

std::optional<std::string> droppedFile(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    // Encoded: the escapes of a name that is not UTF-8 are its bytes.
    const std::optional<std::string> path =
        urls.isEmpty() ? std::nullopt : platform::localPathFromUri(QString::fromLatin1(urls.first().toEncoded()));
    std::error_code error;
    if (!path || !std::filesystem::is_regular_file(*path, error))
        return std::nullopt;
    return path;
}

QtFormView::QtFormView(Form& form, MenuBar& menus) : form_(form), client_(new QWidget(this))
{
    setAcceptDrops(true);
    setWindowTitle(QString::fromStdString(form.Caption()));
    client_->setObjectName("client");
    client_->installEventFilter(this);
    setCentralWidget(client_);
    for (MenuItem* item : menus.topLevel())
        addMenu(*item, nullptr);
    settle_.setSingleShot(true);
    settle_.setInterval(60);
    connect(&settle_, &QTimer::timeout, this, &QtFormView::reportGeometry);

    // Centring needs the frame's size before the window manager has framed the
    // window (a file may open first), so ask it now; the answer comes while
    // the window starts.
    frameProbe_ = std::make_unique<platform::x11::FrameExtentsProbe>(platform::x11::appConnection(),
                                                                     std::chrono::milliseconds(250));
    connect(frameProbe_.get(), &platform::x11::FrameExtentsProbe::finished, this, [this] {
        const auto& extents = frameProbe_->extents();
        if (!extents)
            return;
        const QSize frame(extents->left + extents->right, extents->top + extents->bottom);
        const QSize growth = frame - announcedFrame_;
        announcedFrame_ = frame;
        announcedClientOffset_ = QPoint(extents->left, extents->top);
        // Until framed, the model's outer size was worked out without the frame.
        if (!isVisible() || frameGeometry() == geometry())
            form_.viewFrameAnnounced(
                {form_.Width() + toTwips(growth.width()), form_.Height() + toTwips(growth.height())});
    });
    // A handler (a file that has opened) may size the window before the answer has come.
    form_.dispatcher().beforeHandler = [this] { needAnnouncedFrame(); };
}

QtFormView::~QtFormView()
{
    form_.dispatcher().beforeHandler = nullptr;
    // The hosted widgets belong to whoever made them, not to this window.
    for (auto [control, widget] : hosted_) {
        control->extenderChanged = nullptr;
        widget->setParent(nullptr);
    }
}

void QtFormView::addMenu(MenuItem& item, QMenu* parentMenu)
{
    QAction* action = nullptr;
    if (!item.Children().empty()) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(QString()) : menuBar()->addMenu(QString());
        menu->setObjectName(QString::fromStdString(item.Name()));
        action = menu->menuAction();
        for (MenuItem* child : item.Children())
            addMenu(*child, menu);
    } else {
        action = parentMenu ? parentMenu->addAction(QString()) : menuBar()->addAction(QString());
        if (!item.Shortcut().empty()) {
            action->setShortcut(
                QKeySequence::fromString(QString::fromStdString(item.Shortcut()), QKeySequence::PortableText));
            // The window holds it too, so that the shortcut works in full screen with the menu bar hidden.
            addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, &item, action] {
            form_.dispatcher().run(item.Click);
            follow(*action, item);
        });
    }
    action->setObjectName(
        QString::fromStdString(item.Index() >= 0 ? item.Name() + "_" + std::to_string(item.Index()) : item.Name()));
    follow(*action, item);
    item.changed = [action](const MenuItem& changed) { follow(*action, changed); };
}

void QtFormView::host(HostedControl& control, QWidget& widget)
{
    widget.setParent(client_);
    hosted_.emplace_back(&control, &widget);
    auto place = [this, &control, &widget] {
        // In full screen the control takes the whole screen; its extender keeps the size it has in the window.
        if (fullScreen_)
            widget.setGeometry(client_->rect());
        else
            widget.setGeometry(toPixels(control.Left()), toPixels(control.Top()), toPixels(control.Width()),
                               toPixels(control.Height()));
        const bool wasVisible = widget.isVisible();
        widget.setVisible(control.Visible());
        // A control that comes into view takes the keys, as the window's only focusable child.
        if (control.Visible() && !wasVisible && widget.focusPolicy() != Qt::NoFocus)
            widget.setFocus();
    };
    control.extenderChanged = place;
    place();
}

void QtFormView::needAnnouncedFrame() const
{
    // Shown, not framed yet, and the window manager has not answered (a file
    // opened at once): fitting the window without the frame would place it
    // wrongly, and the answer is normally a few milliseconds away, so it is
    // waited for here, at most 40 ms, once; after that the window is fitted as
    // if it had no frame until the window manager frames it. Before the window
    // is shown nothing waits: the model is brought up to date when the answer
    // comes. Once framed, the real frame counts.
    if (isVisible() && frameGeometry() == geometry() && frameProbe_ && frameProbe_->pending())
        frameProbe_->wait(std::chrono::milliseconds(40));
}

QSize QtFormView::decorations() const
{
    needAnnouncedFrame();
    return qt::decorations(*this, announcedFrame_);
}

int QtFormView::menuBarHeight(int windowWidth) const
{
    const int h = menuBar()->heightForWidth(windowWidth);
    return h > 0 ? h : menuBar()->sizeHint().height();
}

TwipsSize QtFormView::outerSize() const
{
    const QSize outer = size() + decorations();
    return {toTwips(outer.width()), toTwips(outer.height())};
}

TwipsSize QtFormView::resizeOuter(TwipsSize requested)
{
    const QSize deco = decorations();
    QSize target(toPixels(requested.width) - deco.width(), toPixels(requested.height) - deco.height());
    target = target.expandedTo(minimumSizeHint()).expandedTo(minimumSize()).boundedTo(maximumSize());
    target = target.expandedTo(QSize(1, 1));
    if (target != size())
        resize(target);
    return outerSize();
}

void QtFormView::moveOuter(TwipsPoint topLeft)
{
    const QPoint frameTopLeft(toPixels(topLeft.x), toPixels(topLeft.y));
    // Shown but not framed yet, the toolkit may take the frame for one of no
    // size and put the client where the frame belongs, 20 pixels too high:
    // place the client inside the frame the window manager announced instead.
    needAnnouncedFrame();
    if (isVisible() && announcedClientOffset_ && frameGeometry() == geometry() && windowHandle()) {
        windowHandle()->setPosition(frameTopLeft + *announcedClientOffset_);
        return;
    }
    // move() places the frame of a top-level window, decorations included.
    move(frameTopLeft);
}

TwipsSize QtFormView::frameAllowance() const
{
    const QSize deco = decorations();
    return {toTwips(deco.width()), toTwips(deco.height() + menuBarHeight(width()))};
}

void QtFormView::setWindowState(WindowState state)
{
    qt::showInState(*this, state);
}

std::uintptr_t QtFormView::nativeHandle() const
{
    return static_cast<std::uintptr_t>(winId());
}

void QtFormView::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    settle_.start();
}

void QtFormView::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    settle_.start();
}

void QtFormView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Whoever asked (the program or the window manager), full screen has no menu bar.
    const bool full = windowState() & Qt::WindowFullScreen;
    if (full != fullScreen_) {
        fullScreen_ = full;
        menuBar()->setVisible(!full);
        for (auto [control, widget] : hosted_)
            if (control->extenderChanged)
                control->extenderChanged();
        emit fullScreenChanged(full);
    }
    // The new size follows the new state; both are reported together once settled.
    settle_.start();
}

void QtFormView::setFullScreen(bool on)
{
    wantFullScreen_ = on;
    askingFullScreen_ = true;
    fullScreenRetries_ = 0;
    if (on != bool(windowState() & Qt::WindowFullScreen))
        QWidget::setWindowState(on ? windowState() | Qt::WindowFullScreen : windowState() & ~Qt::WindowFullScreen);
}

bool QtFormView::eventFilter(QObject* watched, QEvent* event)
{
    // The client area grows to the screen after the state change: the control follows it.
    if (watched == client_ && event->type() == QEvent::Resize && fullScreen_)
        for (const auto& hosted : hosted_)
            hosted.second->setGeometry(client_->rect());
    return QMainWindow::eventFilter(watched, event);
}

void QtFormView::keyPressEvent(QKeyEvent* event)
{
    const bool acted = keyAction && keyAction(*event);
    const int code = asciiFor(*event);
    if (code == 0) {
        if (acted)
            event->accept();
        else
            QMainWindow::keyPressEvent(event);
        return;
    }
    form_.viewKeyPress(static_cast<std::int16_t>(code));
}

void QtFormView::dragEnterEvent(QDragEnterEvent* event)
{
    // Refused drags keep the no-drop cursor, over the picture too.
    if (event->mimeData() && droppedFile(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void QtFormView::dropEvent(QDropEvent* event)
{
    const std::optional<std::string> path = event->mimeData() ? droppedFile(*event->mimeData()) : std::nullopt;
    if (!path) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    form_.viewFileDropped(*path);
}

void QtFormView::reportGeometry()
{
    // The window manager reports states late, so a quick series of requests can
    // settle on one it reported on the way: the state asked for last wins. A
    // change nobody here asked for (the window manager's own) is taken as it is.
    const bool full = windowState() & Qt::WindowFullScreen;
    if (askingFullScreen_ && full != wantFullScreen_ && fullScreenRetries_++ < 3) {
        QWidget::setWindowState(wantFullScreen_ ? windowState() | Qt::WindowFullScreen
                                                : windowState() & ~Qt::WindowFullScreen);
        settle_.start();
        return;
    }
    askingFullScreen_ = false;
    wantFullScreen_ = full;
    const QPoint topLeft = frameGeometry().topLeft();
    const TwipsPoint position{toTwips(topLeft.x()), toTwips(topLeft.y())};
    // The model keeps the exact twips it set; only a real move by someone else replaces them.
    if (toPixels(form_.Left()) != topLeft.x() || toPixels(form_.Top()) != topLeft.y())
        form_.viewMoved(position);
    const Qt::WindowStates states = windowState();
    // Full screen is no normal state either: the program must not size or move it.
    const WindowState state = states & Qt::WindowMinimized                            ? WindowState::Minimized
                              : states & (Qt::WindowMaximized | Qt::WindowFullScreen) ? WindowState::Maximized
                                                                                      : WindowState::Normal;
    form_.viewChanged(state, outerSize());
}

} // namespace forms
