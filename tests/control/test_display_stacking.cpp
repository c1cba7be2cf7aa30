// Always-on-top through the window manager, on a private X server with openbox:
// the window gains and loses the above state and stays where it was, and the
// request is refused where it cannot be honoured. The frame the window manager
// announces is learnt without waiting for it.
#include "X11.h"
#include "X11WindowStacking.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::HWND_NOTOPMOST;
using platform::HWND_TOPMOST;
constexpr unsigned KeepPlaceAndSize = platform::SWP_NOMOVE | platform::SWP_NOSIZE;

template <typename T> struct Freed {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Freed<T>>;

// Generous: a private X server and its window manager can be slow to come up on a busy machine.
bool waitFor(const std::function<bool()>& condition, int ms = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qSleep(20);
    }
    return true;
}

// What of Xvfb and openbox is missing here; empty when both are installed.
std::string missingTools(bool withWindowManager)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        return "Xvfb is not installed";
    if (withWindowManager && QStandardPaths::findExecutable("openbox").isEmpty())
        return "openbox is not installed";
    return {};
}

// An Xvfb of its own, optionally with openbox, and a connection to it.
class PrivateX {
  public:
    // Empty when the X server is up, else what went wrong.
    std::string start()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            return "Xvfb is not installed";
        // -displayfd 1: the server writes its display number to our pipe once it listens.
        xvfb_.start(xvfb, {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        if (!xvfb_.waitForStarted(30000))
            return "Xvfb did not start";
        if (!waitFor([this] {
                xvfb_.waitForReadyRead(50);
                number_ += xvfb_.readAllStandardOutput();
                return number_.contains('\n');
            }))
            return "Xvfb gave no display number";
        display_ = ":" + number_.trimmed().toStdString();
        c_ = xcb_connect(display_.c_str(), nullptr);
        if (xcb_connection_has_error(c_))
            return "cannot connect to " + display_;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        return {};
    }

    // Empty when openbox is up and announces itself on the root window.
    std::string startWindowManager()
    {
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (openbox.isEmpty())
            return "openbox is not installed";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display_));
        wm_.setProcessEnvironment(env);
        wm_.start(openbox, {"--sm-disable"});
        if (!wm_.waitForStarted(30000))
            return "openbox did not start";
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        if (!waitFor([&] { return !atoms(root_, check, XCB_ATOM_WINDOW).empty(); }))
            return "openbox did not take the screen";
        // It drops the requests that come while it is still starting: show a
        // probe window until it is taken on.
        const xcb_window_t probe = createWindow(0, 0, 10, 10);
        const bool ready = waitFor([&] { return mapAndWaitManaged(probe, 300); });
        xcb_destroy_window(c_, probe);
        xcb_flush(c_);
        if (!ready)
            return "openbox does not manage windows";
        return {};
    }

    ~PrivateX()
    {
        if (c_)
            xcb_disconnect(c_);
        for (QProcess* server : {&wm_, &xvfb_}) {
            if (server->state() != QProcess::NotRunning) {
                server->terminate();
                server->waitForFinished(3000);
            }
        }
    }

    xcb_atom_t atom(const char* name)
    {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::string_view(name).size()), name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // A 32-bit list property of a window; empty when missing.
    std::vector<std::uint32_t> atoms(xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
    {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, name, type, 0, 1024), nullptr));
        if (!reply || reply->format != 32)
            return {};
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {data, data + xcb_get_property_value_length(reply.get()) / 4};
    }

    xcb_window_t createWindow(std::int16_t x, std::int16_t y, std::uint16_t w, std::uint16_t h)
    {
        const xcb_window_t window = xcb_generate_id(c_);
        const std::uint32_t background = 0x336699;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, x, y, w, h, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &background);
        // Ask the window manager to honour the requested place.
        const std::uint32_t hints[18] = {1 | 2 | 4 | 8, 0, 0, 0, 0}; // USPosition | USSize | PPosition | PSize
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                            hints);
        xcb_flush(c_);
        return window;
    }

    bool mapAndWaitManaged(xcb_window_t window, int ms = 30000)
    {
        xcb_map_window(c_, window);
        xcb_flush(c_);
        const xcb_atom_t wmState = atom("WM_STATE");
        return waitFor(
            [&] {
                const auto state = atoms(window, wmState, wmState);
                return !state.empty() && state[0] == 1;
            },
            ms);
    }

    bool isAbove(xcb_window_t window)
    {
        const auto state = atoms(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
        return std::find(state.begin(), state.end(), atom("_NET_WM_STATE_ABOVE")) != state.end();
    }

    // Place on the screen and size, as a user sees them.
    struct Placement {
        int x, y, width, height;
        bool operator==(const Placement&) const = default;
    };
    Placement placement(xcb_window_t window)
    {
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
        Reply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, window, root_, 0, 0), nullptr));
        if (!geometry || !origin)
            return {-1, -1, -1, -1};
        return {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    }

    // The placement once the window manager has framed the window and stopped moving it;
    // {-1, -1, -1, -1} when it never settles.
    Placement settledPlacement(xcb_window_t window)
    {
        const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
        if (!waitFor([&] { return atoms(window, extents, XCB_ATOM_CARDINAL).size() == 4; }))
            return {-1, -1, -1, -1};
        Placement last = placement(window);
        Placement settled{-1, -1, -1, -1};
        waitFor([&] {
            QTest::qSleep(100);
            const Placement now = placement(window);
            const bool same = now == last;
            last = now;
            if (same)
                settled = now;
            return same;
        });
        return settled;
    }

    bool viewable(xcb_window_t window)
    {
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    // The managed windows from bottom to top.
    std::vector<std::uint32_t> stacking() { return atoms(root_, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW); }

    xcb_connection_t* connection() const { return c_; }

  private:
    QProcess xvfb_;
    QProcess wm_;
    QByteArray number_;
    std::string display_;
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
};

std::ptrdiff_t position(const std::vector<std::uint32_t>& list, xcb_window_t window)
{
    return std::find(list.begin(), list.end(), window) - list.begin();
}

TEST(X11WindowStacking, KeepsAWindowAboveOthersAndLetsItGoWithoutMovingIt)
{
    if (const std::string missing = missingTools(true); !missing.empty())
        GTEST_SKIP() << missing;
    PrivateX x;
    const std::string server = x.start();
    ASSERT_EQ(server, "");
    const std::string wm = x.startWindowManager();
    ASSERT_EQ(wm, "");

    const xcb_window_t player = x.createWindow(100, 80, 320, 240);
    ASSERT_TRUE(x.mapAndWaitManaged(player));
    const xcb_window_t other = x.createWindow(150, 120, 320, 240);
    ASSERT_TRUE(x.mapAndWaitManaged(other));
    ASSERT_LT(position(x.stacking(), player), position(x.stacking(), other));
    const auto before = x.settledPlacement(player);
    ASSERT_NE(before.width, -1) << "openbox never settled the window's frame";

    platform::X11WindowStacking stacking(x.connection());
    EXPECT_NE(stacking.SetWindowPos(player, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    ASSERT_TRUE(waitFor([&] { return x.isAbove(player); }));
    EXPECT_TRUE(waitFor([&] { return position(x.stacking(), player) > position(x.stacking(), other); }));
    // A window opened afterwards still goes below it.
    const xcb_window_t later = x.createWindow(200, 160, 320, 240);
    ASSERT_TRUE(x.mapAndWaitManaged(later));
    EXPECT_GT(position(x.stacking(), player), position(x.stacking(), later));
    EXPECT_EQ(x.placement(player), before);
    EXPECT_TRUE(x.viewable(player));

    EXPECT_NE(stacking.SetWindowPos(player, HWND_NOTOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    ASSERT_TRUE(waitFor([&] { return !x.isAbove(player); }));
    EXPECT_EQ(x.placement(player), before);
    EXPECT_TRUE(x.viewable(player));

    // Asking twice for the same state changes nothing.
    EXPECT_NE(stacking.SetWindowPos(player, HWND_NOTOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    QTest::qSleep(1500);
    EXPECT_FALSE(x.isAbove(player));
}

TEST(X11WindowStacking, RefusesWhatCannotBeHonoured)
{
    if (const std::string missing = missingTools(true); !missing.empty())
        GTEST_SKIP() << missing;
    PrivateX x;
    const std::string server = x.start();
    ASSERT_EQ(server, "");
    platform::X11WindowStacking stacking(x.connection());
    const xcb_window_t shown = x.createWindow(10, 10, 100, 100);

    // No window manager to ask.
    xcb_map_window(x.connection(), shown);
    xcb_flush(x.connection());
    EXPECT_EQ(stacking.SetWindowPos(shown, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);

    const std::string wm = x.startWindowManager();
    ASSERT_EQ(wm, "");
    // No window, a window that does not exist, one never shown.
    EXPECT_EQ(stacking.SetWindowPos(0, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    EXPECT_EQ(stacking.SetWindowPos(0x3fffff0, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    const xcb_window_t withdrawn = x.createWindow(10, 10, 100, 100);
    EXPECT_EQ(stacking.SetWindowPos(withdrawn, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    // Only the two above-others placements are understood.
    ASSERT_TRUE(x.mapAndWaitManaged(withdrawn));
    EXPECT_EQ(stacking.SetWindowPos(withdrawn, 0, 0, 0, 0, 0, KeepPlaceAndSize), 0);
    EXPECT_NE(stacking.SetWindowPos(withdrawn, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
}

TEST(X11WindowStacking, RefusesWithoutAnXServer)
{
    if (QGuiApplication::platformName() == "xcb")
        GTEST_SKIP() << "this run is on X11";
    // The application's own platform (offscreen here) has no X connection.
    platform::X11WindowStacking stacking;
    EXPECT_EQ(stacking.SetWindowPos(0x200001, HWND_TOPMOST, 0, 0, 0, 0, KeepPlaceAndSize), 0);
}

TEST(FrameExtentsProbe, LearnsTheFrameFromTheEventLoop)
{
    if (const std::string missing = missingTools(true); !missing.empty())
        GTEST_SKIP() << missing;
    PrivateX x;
    ASSERT_EQ(x.start(), "");
    ASSERT_EQ(x.startWindowManager(), "");

    platform::x11::FrameExtentsProbe probe(x.connection(), std::chrono::seconds(30));
    QSignalSpy finished(&probe, &platform::x11::FrameExtentsProbe::finished);
    // Asked, not waited for.
    ASSERT_TRUE(probe.pending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !probe.pending(); }, 30000));
    EXPECT_EQ(finished.count(), 1);
    ASSERT_TRUE(probe.extents());

    // The frame openbox then draws round a real window.
    const xcb_window_t shown = x.createWindow(10, 10, 100, 100);
    ASSERT_TRUE(x.mapAndWaitManaged(shown));
    std::vector<std::uint32_t> frame;
    ASSERT_TRUE(waitFor([&] {
        frame = x.atoms(shown, x.atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
        return frame.size() == 4;
    }));
    const auto& e = *probe.extents();
    EXPECT_EQ((std::vector<std::uint32_t>{std::uint32_t(e.left), std::uint32_t(e.right), std::uint32_t(e.top),
                                          std::uint32_t(e.bottom)}),
              frame);
    EXPECT_GT(e.top, 0);
}

TEST(FrameExtentsProbe, AWindowManagerThatNeverAnswersIsGivenUp)
{
    if (const std::string missing = missingTools(false); !missing.empty())
        GTEST_SKIP() << missing;
    PrivateX x;
    ASSERT_EQ(x.start(), "");
    xcb_connection_t* c = x.connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    // No window manager: nothing to ask, nothing pending.
    EXPECT_FALSE(platform::x11::FrameExtentsProbe(c, std::chrono::seconds(30)).pending());

    // One that claims to answer, and never does (there is none).
    const xcb_atom_t request = x.atom("_NET_REQUEST_FRAME_EXTENTS");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, x.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32, 1, &request);
    xcb_flush(c);
    {
        // From the event loop, once the time is up.
        platform::x11::FrameExtentsProbe probe(c, std::chrono::milliseconds(100));
        QSignalSpy finished(&probe, &platform::x11::FrameExtentsProbe::finished);
        ASSERT_TRUE(probe.pending());
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_FALSE(probe.pending());
        EXPECT_FALSE(probe.extents());
    }
    // A caller that needs the answer now waits only as long as it says.
    platform::x11::FrameExtentsProbe probe(c, std::chrono::seconds(30));
    ASSERT_TRUE(probe.pending());
    QElapsedTimer clock;
    clock.start();
    probe.wait(std::chrono::milliseconds(20));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(probe.pending());
    EXPECT_FALSE(probe.extents());
}

} // namespace
