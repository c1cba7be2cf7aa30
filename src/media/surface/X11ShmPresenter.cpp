#include "X11ShmPresenter.h"

#include <QtGlobal>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>

#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace media {

namespace {

// How long a frame's memory is kept from mpv while the server may still read
// it; a server that takes longer gets a torn picture rather than a stalled player.
constexpr int ReclaimMilliseconds = 200;

// Rows start on 64-byte boundaries, as mpv's fastest paths want; the server is
// told the image is that wide and shown only the picture's own width.
constexpr std::size_t Alignment = 64;

struct ShmPixels : FramePixels {
    ~ShmPixels() override
    {
        if (segment) {
            xcb_shm_detach(connection, segment);
            xcb_flush(connection);
        }
        if (data)
            shmdt(data);
    }

    xcb_connection_t* connection = nullptr;
    xcb_shm_seg_t segment = 0;
    // The put that last read these pixels, while the server may not have done it.
    bool reading = false;
    std::uint32_t lastPut = 0;
};

// Whether request a is done once b is (sequence numbers wrap round).
bool doneBy(std::uint32_t a, std::uint32_t b)
{
    return static_cast<std::int32_t>(b - a) >= 0;
}

} // namespace

X11ShmPresenter::~X11ShmPresenter()
{
    if (!connection_)
        return;
    if (gc_)
        xcb_free_gc(connection_, gc_);
    xcb_disconnect(connection_);
}

bool X11ShmPresenter::connect()
{
    if (!connection_) {
        // The display Qt uses ($DISPLAY); a connection of our own for this thread.
        connection_ = xcb_connect(nullptr, nullptr);
        const xcb_query_extension_reply_t* shm =
            xcb_connection_has_error(connection_) ? nullptr : xcb_get_extension_data(connection_, &xcb_shm_id);
        failed_ = !shm || !shm->present;
    }
    if (!failed_ && xcb_connection_has_error(connection_))
        failed_ = true;
    return !failed_;
}

std::unique_ptr<FramePixels> X11ShmPresenter::allocate(QSize size)
{
    const std::size_t stride = (static_cast<std::size_t>(size.width()) * 4 + Alignment - 1) / Alignment * Alignment;
    // The protocol counts the image's width and height in 16 bits.
    if (!connect() || stride / 4 > 0xffff || size.height() > 0xffff)
        return nullptr;
    auto pixels = std::make_unique<ShmPixels>();
    pixels->connection = connection_;
    pixels->size = size;
    pixels->stride = stride;
    pixels->maker = this;
    const int id = shmget(IPC_PRIVATE, stride * size.height(), IPC_CREAT | 0600);
    if (id < 0)
        return nullptr;
    void* memory = shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    pixels->data = static_cast<unsigned char*>(memory);
    const xcb_shm_seg_t segment = xcb_generate_id(connection_);
    xcb_generic_error_t* error = xcb_request_check(connection_, xcb_shm_attach_checked(connection_, segment, id, 1));
    // Marked for removal once both sides have it: it goes with the last of
    // them, even should the player crash.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        // A server that cannot see our memory (a remote display, another machine).
        std::free(error);
        return nullptr;
    }
    pixels->segment = segment;
    return pixels;
}

void X11ShmPresenter::reclaim(FramePixels& frame)
{
    auto& pixels = static_cast<ShmPixels&>(frame);
    if (!pixels.reading)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReclaimMilliseconds);
    readEvents(0);
    while (!doneBy(pixels.lastPut, done_) && !xcb_connection_has_error(connection_)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        readEvents(static_cast<int>(left.count()));
    }
    pixels.reading = false;
}

void X11ShmPresenter::readEvents(int timeout)
{
    if (timeout > 0) {
        pollfd wait{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&wait, 1, timeout);
    }
    // Each put ends in a completion event, or an error when its window has
    // gone; either says how far the server has got.
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if (doneBy(done_, event->full_sequence))
            done_ = event->full_sequence;
        std::free(event);
    }
}

FramePresenter::Presented X11ShmPresenter::useWindow(std::uint32_t window)
{
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), &error);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    std::free(error);
    if (!geometry || !attributes) {
        std::free(geometry);
        std::free(attributes);
        // Gone already: the UI thread is making its successor.
        return xcb_connection_has_error(connection_) ? Presented::Failed : Presented::Dropped;
    }
    const std::uint8_t depth = geometry->depth;
    const xcb_visualid_t visual = attributes->visual;
    std::free(geometry);
    std::free(attributes);

    // What mpv draws: 32 bits a pixel, 0x00RRGGBB in the host's byte order,
    // the alpha byte unused (so not for a depth-32 window, whose alpha counts).
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const auto hostOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    bool fits = depth == 24 && setup->image_byte_order == hostOrder;
    bool packed = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format))
        if (format.data->depth == depth)
            packed = format.data->bits_per_pixel == 32;
    bool rgb = false;
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen))
        for (auto depths = xcb_screen_allowed_depths_iterator(screen.data); depths.rem; xcb_depth_next(&depths))
            for (auto type = xcb_depth_visuals_iterator(depths.data); type.rem; xcb_visualtype_next(&type))
                if (type.data->visual_id == visual)
                    rgb = type.data->red_mask == 0xff0000 && type.data->green_mask == 0xff00 &&
                          type.data->blue_mask == 0xff;
    if (!fits || !packed || !rgb)
        return Presented::Failed;

    if (gc_)
        xcb_free_gc(connection_, gc_);
    gc_ = xcb_generate_id(connection_);
    // No exposure events for what the put could not draw: the window's owner repaints.
    const std::uint32_t values[] = {0};
    xcb_create_gc(connection_, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, values);
    drawn_ = window;
    depth_ = depth;
    return Presented::Shown;
}

FramePresenter::Presented X11ShmPresenter::present(FramePixels& frame)
{
    if (!connect())
        return Presented::Failed;
    const std::uint32_t window = window_.load(std::memory_order_acquire);
    if (!window)
        return Presented::Dropped;
    if (window != drawn_) {
        const Presented usable = useWindow(window);
        if (usable != Presented::Shown)
            return usable;
    }
    auto& pixels = static_cast<ShmPixels&>(frame);
    const xcb_void_cookie_t put = xcb_shm_put_image(
        connection_, window, gc_, static_cast<std::uint16_t>(pixels.stride / 4),
        static_cast<std::uint16_t>(pixels.size.height()), 0, 0, static_cast<std::uint16_t>(pixels.size.width()),
        static_cast<std::uint16_t>(pixels.size.height()), 0, 0, depth_, XCB_IMAGE_FORMAT_Z_PIXMAP, 1, pixels.segment, 0);
    pixels.reading = true;
    pixels.lastPut = put.sequence;
    if (xcb_flush(connection_) <= 0)
        return Presented::Failed;
    return Presented::Shown;
}

} // namespace media
