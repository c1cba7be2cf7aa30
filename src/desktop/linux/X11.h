#pragma once

#include <xcb/xcb.h>

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

// Small helpers for talking to the X server and its window manager (EWMH).
namespace platform::x11 {

// xcb hands out replies that the caller frees.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// The X connection of the running Qt application; null on other platforms.
xcb_connection_t* appConnection();

xcb_atom_t atom(xcb_connection_t* c, std::string_view name);
Reply<xcb_get_property_reply_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type);
// Whether the window manager lists the hint among those it honours.
bool supports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t hint);
xcb_window_t defaultRoot(xcb_connection_t* c);

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Asks the window manager how thick the frame of an ordinary top-level window
// will be (_NET_REQUEST_FRAME_EXTENTS, for a window of our own that is never
// shown) without waiting for the answer: it is looked for from the event loop
// every few milliseconds, and given up after `timeout`. Not pending from the
// start when there is no window manager that answers such a question.
class FrameExtentsProbe : public QObject {
    Q_OBJECT
  public:
    FrameExtentsProbe(xcb_connection_t* c, std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~FrameExtentsProbe() override;

    bool pending() const { return probe_ != XCB_WINDOW_NONE; }
    // The answer; none while pending, or when none came in time.
    const std::optional<FrameExtents>& extents() const { return extents_; }
    // For a caller that needs the answer now: waits for it at most `bound`,
    // then gives the question up.
    void wait(std::chrono::milliseconds bound);

  signals:
    // The window manager answered, or the question was given up.
    void finished();

  private:
    bool look();
    void finish();

    xcb_connection_t* c_;
    xcb_window_t probe_ = XCB_WINDOW_NONE;
    xcb_atom_t extentsAtom_ = XCB_ATOM_NONE;
    QDeadlineTimer deadline_;
    QTimer poll_;
    std::optional<FrameExtents> extents_;
};

} // namespace platform::x11
