#include "screencopypick.h"

#include "frameview.h"
#include "loupe.h"
#include "waylandlibs.h"

#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <QGuiApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <functional>

namespace {

// The evdev codes of the buttons a pick answers.
constexpr uint32_t ButtonLeft = 0x110;
constexpr uint32_t ButtonRight = 0x111;

// From the pointer to the loupe's nearer corner, in surface units: far more
// than Radius device pixels at any scale, so the loupe hides none of the
// pixels it shows.
constexpr int LoupeGap = 24;
constexpr int CursorSide = 17;

QString lostMessage() { return QStringLiteral("コンポジターとの接続が切れたため、画面から色を取れません"); }
QString refusedMessage() { return QStringLiteral("コンポジターが画面の内容を渡さなかったため、色を取れませんでした"); }
QString formatMessage() { return QStringLiteral("この画面の画素の形式を読めないため、色を取れませんでした"); }
QString outputGoneMessage() { return QStringLiteral("画面が取り外されたため、色の取得を取り消しました"); }
QString closedMessage() { return QStringLiteral("コンポジターが色の取得の画面を閉じました"); }

/// Memory shared with the compositor, and the wl_buffer over it.
struct TShmBuffer
{
    Q_DISABLE_COPY_MOVE(TShmBuffer)
    TShmBuffer() = default;
    ~TShmBuffer() { clear(); }

    bool create(wl_shm *shm, QSize size, int stride, uint32_t format)
    {
        clear();
        bytes = size_t(stride) * size_t(size.height());
        const int fd = memfd_create("tintaro-pick", MFD_CLOEXEC);
        if (fd < 0)
            return false;
        if (ftruncate(fd, off_t(bytes)) < 0) {
            close(fd);
            return false;
        }
        void *mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) {
            close(fd);
            return false;
        }
        data = static_cast<unsigned char *>(mapped);
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int32_t(bytes));
        buffer = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, format);
        wl_shm_pool_destroy(pool);
        close(fd);
        static const wl_buffer_listener listener = {
            [](void *self, wl_buffer *) {
                auto *buffer = static_cast<TShmBuffer *>(self);
                buffer->busy = false;
                if (buffer->released)
                    buffer->released();
            },
        };
        wl_buffer_add_listener(buffer, &listener, this);
        this->size = size;
        this->stride = stride;
        return true;
    }

    void clear()
    {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (data)
            munmap(data, bytes);
        buffer = nullptr;
        data = nullptr;
        bytes = 0;
        size = QSize();
        stride = 0;
        busy = false;
    }

    wl_buffer *buffer = nullptr;
    unsigned char *data = nullptr;
    size_t bytes = 0;
    QSize size;
    int stride = 0;
    bool busy = false;  // held by the compositor until it releases it
    std::function<void()> released;
};

template <typename Proxy>
void destroyProxy(Proxy *&proxy, void (*destroy)(Proxy *))
{
    if (proxy)
        destroy(proxy);
    proxy = nullptr;
}

} // namespace

struct TScreencopyPick::Globals
{
    wl_registry *registry = nullptr;
    wl_callback *sync = nullptr;
    wl_compositor *compositor = nullptr;
    wl_subcompositor *subcompositor = nullptr;
    wl_shm *shm = nullptr;
    wl_seat *seat = nullptr;
    uint32_t capabilities = 0;
    zwlr_screencopy_manager_v1 *screencopy = nullptr;
    ext_image_copy_capture_manager_v1 *imageCopy = nullptr;
    ext_output_image_capture_source_manager_v1 *outputSources = nullptr;
    zwlr_layer_shell_v1 *layerShell = nullptr;
    wp_viewporter *viewporter = nullptr;
    // Only while a pick runs.
    wl_pointer *pointer = nullptr;
    wl_keyboard *keyboard = nullptr;
    wl_surface *cursor = nullptr;
    TShmBuffer cursorBuffer;
    uint32_t enterSerial = 0;
    // Keys are read through the keymap the compositor sends: a virtual
    // keyboard may number them its own way.
    xkb_context *xkb = nullptr;
    xkb_keymap *keymap = nullptr;
    xkb_state *keys = nullptr;

    void dropKeymap()
    {
        if (keys)
            xkb_state_unref(keys);
        if (keymap)
            xkb_keymap_unref(keymap);
        keys = nullptr;
        keymap = nullptr;
    }

    /// The standard protocol is taken over wlroots' own, which it
    /// replaces, wherever the compositor offers both of its halves.
    bool copiesImages() const { return imageCopy && outputSources; }

    ~Globals()
    {
        dropKeymap();
        if (xkb)
            xkb_context_unref(xkb);
    }
};

struct TScreencopyPick::Output
{
    TScreencopyPick *pick = nullptr;
    uint32_t name = 0;
    wl_output *output = nullptr;
    int32_t transform = 0;
    // This pick's frame, and the overlay that shows it.
    zwlr_screencopy_frame_v1 *frame = nullptr;
    // ... or, through ext-image-copy-capture, the output as a source, the
    // session that says what buffer it takes, and its one frame.
    ext_image_capture_source_v1 *source = nullptr;
    ext_image_copy_capture_session_v1 *session = nullptr;
    ext_image_copy_capture_frame_v1 *capture = nullptr;
    // The session's latest buffer constraints: a batch of them ends with its
    // done, and a later batch replaces it whole. The frame's buffer is made
    // to them when it is asked for; the shot keeps its own size and format.
    struct Offer
    {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t format = 0;
        bool readable = false;  // a format PixelColour() reads was among them
        bool complete = false;
    } offer;
    int captures = 0;  // frames asked for in this pick, each to the constraints then
    int32_t shotTransform = 0;   // the frame's: the output's, unless the compositor says it turned it itself
    uint32_t format = 0;
    QSize size;
    int stride = 0;
    bool yInvert = false;
    bool ready = false;
    TShmBuffer shot;
    wl_surface *surface = nullptr;
    zwlr_layer_surface_v1 *layer = nullptr;
    wp_viewport *viewport = nullptr;
    bool mapped = false;
    wl_callback *drawn = nullptr;  // the compositor's word that it drew the frozen frame
    QSizeF logical;
    wl_surface *loupe = nullptr;
    wl_subsurface *loupePlace = nullptr;
    wp_viewport *loupeViewport = nullptr;
    TShmBuffer loupeBuffers[2];
    bool loupeShown = false;
    bool loupeBehind = false;  // moved while both buffers were on screen
    QPoint shown;  // the device pixel framed in the loupe, as the output shows it

    TFrameView view() const { return {size, shotTransform, yInvert, logical}; }

    void endPick()
    {
        destroyProxy(frame, zwlr_screencopy_frame_v1_destroy);
        destroyCapture();
        destroyProxy(drawn, wl_callback_destroy);
        destroyProxy(loupeViewport, wp_viewport_destroy);
        destroyProxy(loupePlace, wl_subsurface_destroy);
        destroyProxy(loupe, wl_surface_destroy);
        for (TShmBuffer &buffer : loupeBuffers)
            buffer.clear();
        destroyProxy(viewport, wp_viewport_destroy);
        destroyProxy(layer, zwlr_layer_surface_v1_destroy);
        destroyProxy(surface, wl_surface_destroy);
        shot.clear();
        ready = false;
        mapped = false;
        loupeShown = false;
        yInvert = false;
        offer = Offer();
        captures = 0;
        size = QSize();
        logical = QSizeF();
    }

    void destroyCapture()
    {
        destroyProxy(capture, ext_image_copy_capture_frame_v1_destroy);
        destroyProxy(session, ext_image_copy_capture_session_v1_destroy);
        destroyProxy(source, ext_image_capture_source_v1_destroy);
    }
};

// The listeners: each forwards to the pick, which reads top to bottom.
struct TWaylandEvents
{
    using Pick = TScreencopyPick;

    static Pick::Output *outputOfSurface(Pick *pick, wl_surface *surface)
    {
        for (auto &output : pick->m_outputs)
            if (output->surface == surface && surface)
                return output.get();
        return nullptr;
    }

    static void addOutput(Pick *pick, uint32_t name, uint32_t version)
    {
        auto output = std::make_unique<Pick::Output>();
        output->pick = pick;
        output->name = name;
        output->output = static_cast<wl_output *>(
            wl_registry_bind(pick->m_globals->registry, name, &wl_output_interface, std::min(version, 3u)));
        static const wl_output_listener listener = [] {
            wl_output_listener l{};
            l.geometry = [](void *data, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *,
                            const char *, int32_t transform) { static_cast<Pick::Output *>(data)->transform = transform; };
            l.mode = [](void *, wl_output *, uint32_t, int32_t, int32_t, int32_t) {};
            l.done = [](void *, wl_output *) {};
            l.scale = [](void *, wl_output *, int32_t) {};
            return l;
        }();
        wl_output_add_listener(output->output, &listener, output.get());
        pick->m_outputs.push_back(std::move(output));
    }

    static void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
    {
        auto *pick = static_cast<Pick *>(data);
        Pick::Globals &g = *pick->m_globals;
        const auto bind = [&](const wl_interface *type, uint32_t highest) {
            return wl_registry_bind(registry, name, type, std::min(version, highest));
        };
        const std::string_view is(interface);
        if (is == wl_compositor_interface.name && !g.compositor)
            g.compositor = static_cast<wl_compositor *>(bind(&wl_compositor_interface, 4));
        else if (is == wl_subcompositor_interface.name && !g.subcompositor)
            g.subcompositor = static_cast<wl_subcompositor *>(bind(&wl_subcompositor_interface, 1));
        else if (is == wl_shm_interface.name && !g.shm)
            g.shm = static_cast<wl_shm *>(bind(&wl_shm_interface, 1));
        else if (is == zwlr_screencopy_manager_v1_interface.name && !g.screencopy)
            g.screencopy = static_cast<zwlr_screencopy_manager_v1 *>(bind(&zwlr_screencopy_manager_v1_interface, 3));
        else if (is == ext_image_copy_capture_manager_v1_interface.name && !g.imageCopy)
            g.imageCopy = static_cast<ext_image_copy_capture_manager_v1 *>(
                bind(&ext_image_copy_capture_manager_v1_interface, 1));
        else if (is == ext_output_image_capture_source_manager_v1_interface.name && !g.outputSources)
            g.outputSources = static_cast<ext_output_image_capture_source_manager_v1 *>(
                bind(&ext_output_image_capture_source_manager_v1_interface, 1));
        else if (is == zwlr_layer_shell_v1_interface.name && !g.layerShell)
            g.layerShell = static_cast<zwlr_layer_shell_v1 *>(bind(&zwlr_layer_shell_v1_interface, 3));
        else if (is == wp_viewporter_interface.name && !g.viewporter)
            g.viewporter = static_cast<wp_viewporter *>(bind(&wp_viewporter_interface, 1));
        else if (is == wl_output_interface.name)
            addOutput(pick, name, version);
        else if (is == wl_seat_interface.name && !g.seat) {
            g.seat = static_cast<wl_seat *>(bind(&wl_seat_interface, 5));
            static const wl_seat_listener listener = [] {
                wl_seat_listener l{};
                l.capabilities = [](void *data, wl_seat *, uint32_t caps) {
                    static_cast<Pick *>(data)->seatChanged(caps);
                };
                l.name = [](void *, wl_seat *, const char *) {};
                return l;
            }();
            wl_seat_add_listener(g.seat, &listener, pick);
        }
    }

    static void globalRemove(void *data, wl_registry *, uint32_t name)
    {
        static_cast<Pick *>(data)->outputRemoved(name);
    }

    static constexpr wl_registry_listener registry = {global, globalRemove};

    static void synced(void *data, wl_callback *callback, uint32_t)
    {
        auto *pick = static_cast<Pick *>(data);
        wl_callback_destroy(callback);
        pick->m_globals->sync = nullptr;
        pick->checked();
    }

    static constexpr wl_callback_listener sync = {synced};

    static void overlayDrawn(void *data, wl_callback *, uint32_t)
    {
        auto *output = static_cast<Pick::Output *>(data);
        destroyProxy(output->drawn, wl_callback_destroy);
        for (const auto &other : output->pick->m_outputs)
            if (!other->mapped || other->drawn)
                return;
        emit output->pick->overlayShown();
    }

    static constexpr wl_callback_listener drawn = {overlayDrawn};

    static const zwlr_screencopy_frame_v1_listener *frame()
    {
        static const zwlr_screencopy_frame_v1_listener listener = [] {
            zwlr_screencopy_frame_v1_listener l{};
            l.buffer = [](void *data, zwlr_screencopy_frame_v1 *frame, uint32_t format, uint32_t width,
                          uint32_t height, uint32_t stride) {
                auto *output = static_cast<Pick::Output *>(data);
                // Kept only as a frame the pick can read: an empty size
                // says it cannot.
                if (IsReadableFrame(format, width, height, stride)) {
                    output->format = format;
                    output->size = QSize(int(width), int(height));
                    output->stride = int(stride);
                }
                // Before version 3 the one shm buffer is all there is.
                if (zwlr_screencopy_frame_v1_get_version(frame) < 3)
                    copyFrame(*output);
            };
            l.flags = [](void *data, zwlr_screencopy_frame_v1 *, uint32_t flags) {
                static_cast<Pick::Output *>(data)->yInvert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
            };
            l.ready = [](void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {
                auto *output = static_cast<Pick::Output *>(data);
                // The output's own pixels, as its mode lies: its transform
                // (known by now, though perhaps not when the pick started)
                // shows them as it does.
                output->shotTransform = output->transform;
                destroyProxy(output->frame, zwlr_screencopy_frame_v1_destroy);
                output->ready = true;
                output->pick->frameReady();
            };
            l.failed = [](void *data, zwlr_screencopy_frame_v1 *) {
                static_cast<Pick::Output *>(data)->pick->fail(refusedMessage());
            };
            l.damage = [](void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t, uint32_t) {};
            l.linux_dmabuf = [](void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {};
            l.buffer_done = [](void *data, zwlr_screencopy_frame_v1 *) {
                copyFrame(*static_cast<Pick::Output *>(data));
            };
            return l;
        }();
        return &listener;
    }

    static void copyFrame(Pick::Output &output)
    {
        Pick *pick = output.pick;
        if (output.size.isEmpty()) {
            pick->fail(formatMessage());
            return;
        }
        if (!output.shot.create(pick->m_globals->shm, output.size, output.stride, output.format)) {
            pick->fail(refusedMessage());
            return;
        }
        zwlr_screencopy_frame_v1_copy(output.frame, output.shot.buffer);
    }

    static const ext_image_copy_capture_session_v1_listener *session()
    {
        static const ext_image_copy_capture_session_v1_listener listener = [] {
            ext_image_copy_capture_session_v1_listener l{};
            l.buffer_size = [](void *data, ext_image_copy_capture_session_v1 *, uint32_t width, uint32_t height) {
                Pick::Output::Offer &offer = newBatch(data);
                offer.width = width;
                offer.height = height;
            };
            // Any of the formats offered will do: the first one read.
            l.shm_format = [](void *data, ext_image_copy_capture_session_v1 *, uint32_t format) {
                Pick::Output::Offer &offer = newBatch(data);
                if (!offer.readable && IsReadableFormat(format)) {
                    offer.format = format;
                    offer.readable = true;
                }
            };
            l.dmabuf_device = [](void *, ext_image_copy_capture_session_v1 *, wl_array *) {};
            l.dmabuf_format = [](void *, ext_image_copy_capture_session_v1 *, uint32_t, wl_array *) {};
            // The first batch asks for the frame; should the constraints
            // change before the copy, the frame fails and is asked again.
            l.done = [](void *data, ext_image_copy_capture_session_v1 *) {
                auto *output = static_cast<Pick::Output *>(data);
                output->offer.complete = true;
                if (!output->capture && !output->ready)
                    captureImage(*output);
            };
            // The output can no longer be copied: most often it is gone.
            l.stopped = [](void *data, ext_image_copy_capture_session_v1 *) {
                static_cast<Pick::Output *>(data)->pick->fail(outputGoneMessage());
            };
            l.preferred_done = [](void *, ext_image_copy_capture_session_v1 *) {};
            return l;
        }();
        return &listener;
    }

    static const ext_image_copy_capture_frame_v1_listener *capture()
    {
        static const ext_image_copy_capture_frame_v1_listener listener = [] {
            ext_image_copy_capture_frame_v1_listener l{};
            l.transform = [](void *data, ext_image_copy_capture_frame_v1 *, uint32_t transform) {
                static_cast<Pick::Output *>(data)->shotTransform = int32_t(transform);
            };
            l.damage = [](void *, ext_image_copy_capture_frame_v1 *, int32_t, int32_t, int32_t, int32_t) {};
            l.presentation_time = [](void *, ext_image_copy_capture_frame_v1 *, uint32_t, uint32_t, uint32_t) {};
            l.ready = [](void *data, ext_image_copy_capture_frame_v1 *) {
                auto *output = static_cast<Pick::Output *>(data);
                output->destroyCapture();
                output->ready = true;
                output->pick->frameReady();
            };
            l.failed = [](void *data, ext_image_copy_capture_frame_v1 *, uint32_t reason) {
                auto *output = static_cast<Pick::Output *>(data);
                // The constraints changed under the frame (a mode or scale
                // changed as the pick began): the buffer is made again to
                // the batch that came before this word, a few times at most.
                if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_BUFFER_CONSTRAINTS
                    && output->captures < 3) {
                    destroyProxy(output->capture, ext_image_copy_capture_frame_v1_destroy);
                    captureImage(*output);
                    return;
                }
                output->pick->fail(reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED
                                       ? outputGoneMessage()
                                       : refusedMessage());
            };
            return l;
        }();
        return &listener;
    }

    /// The session's constraints as they come: the first of a batch after a
    /// finished one starts them afresh.
    static Pick::Output::Offer &newBatch(void *data)
    {
        Pick::Output::Offer &offer = static_cast<Pick::Output *>(data)->offer;
        if (offer.complete)
            offer = Pick::Output::Offer();
        return offer;
    }

    static void captureImage(Pick::Output &output)
    {
        Pick *pick = output.pick;
        const Pick::Output::Offer &offer = output.offer;
        if (!offer.readable || !IsReadableFrame(offer.format, offer.width, offer.height, uint64_t(offer.width) * 4)) {
            pick->fail(formatMessage());
            return;
        }
        // The shot is read as it was made, whatever the session says later.
        ++output.captures;
        output.size = QSize(int(offer.width), int(offer.height));
        output.stride = output.size.width() * 4;
        output.format = output.offer.format;
        if (!output.shot.create(pick->m_globals->shm, output.size, output.stride, output.format)) {
            pick->fail(refusedMessage());
            return;
        }
        output.capture = ext_image_copy_capture_session_v1_create_frame(output.session);
        ext_image_copy_capture_frame_v1_add_listener(output.capture, capture(), &output);
        ext_image_copy_capture_frame_v1_attach_buffer(output.capture, output.shot.buffer);
        // A buffer copied into for the first time is damaged whole.
        ext_image_copy_capture_frame_v1_damage_buffer(output.capture, 0, 0, output.size.width(),
                                                      output.size.height());
        ext_image_copy_capture_frame_v1_capture(output.capture);
    }

    static const zwlr_layer_surface_v1_listener *layer()
    {
        static const zwlr_layer_surface_v1_listener listener = [] {
            zwlr_layer_surface_v1_listener l{};
            l.configure = [](void *data, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t width,
                             uint32_t height) {
                auto *output = static_cast<Pick::Output *>(data);
                zwlr_layer_surface_v1_ack_configure(layer, serial);
                output->logical = QSizeF(width, height);
                output->pick->configured(*output);
            };
            l.closed = [](void *data, zwlr_layer_surface_v1 *) {
                static_cast<Pick::Output *>(data)->pick->fail(closedMessage());
            };
            return l;
        }();
        return &listener;
    }

    static const wl_pointer_listener *pointer()
    {
        static const wl_pointer_listener listener = [] {
            wl_pointer_listener l{};
            l.enter = [](void *data, wl_pointer *pointer, uint32_t serial, wl_surface *surface, wl_fixed_t x,
                         wl_fixed_t y) {
                auto *pick = static_cast<Pick *>(data);
                pick->m_globals->enterSerial = serial;
                // A cross where the pointer is; the loupe frames the pixel.
                if (pick->m_globals->cursor)
                    wl_pointer_set_cursor(pointer, serial, pick->m_globals->cursor, CursorSide / 2, CursorSide / 2);
                pick->pointerAt(outputOfSurface(pick, surface), wl_fixed_to_double(x), wl_fixed_to_double(y));
            };
            l.leave = [](void *data, wl_pointer *, uint32_t, wl_surface *surface) {
                auto *pick = static_cast<Pick *>(data);
                if (Pick::Output *output = outputOfSurface(pick, surface))
                    pick->hideLoupe(*output);
            };
            l.motion = [](void *data, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
                auto *pick = static_cast<Pick *>(data);
                pick->pointerAt(pick->m_current, wl_fixed_to_double(x), wl_fixed_to_double(y));
            };
            l.button = [](void *data, wl_pointer *, uint32_t, uint32_t, uint32_t button, uint32_t state) {
                auto *pick = static_cast<Pick *>(data);
                if (state != WL_POINTER_BUTTON_STATE_PRESSED)
                    return;
                if (button == ButtonLeft)
                    pick->take();
                else if (button == ButtonRight)
                    emit pick->finished(std::nullopt);
            };
            l.axis = [](void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {};
            l.frame = [](void *, wl_pointer *) {};
            l.axis_source = [](void *, wl_pointer *, uint32_t) {};
            l.axis_stop = [](void *, wl_pointer *, uint32_t, uint32_t) {};
            l.axis_discrete = [](void *, wl_pointer *, uint32_t, int32_t) {};
            return l;
        }();
        return &listener;
    }

    static const wl_keyboard_listener *keyboard()
    {
        static const wl_keyboard_listener listener = [] {
            wl_keyboard_listener l{};
            l.keymap = [](void *data, wl_keyboard *, uint32_t format, int32_t fd, uint32_t size) {
                Pick::Globals &g = *static_cast<Pick *>(data)->m_globals;
                g.dropKeymap();
                if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
                    void *text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
                    if (text != MAP_FAILED) {
                        if (!g.xkb)
                            g.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
                        if (g.xkb)
                            g.keymap = xkb_keymap_new_from_string(g.xkb, static_cast<const char *>(text),
                                                                  XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
                        if (g.keymap)
                            g.keys = xkb_state_new(g.keymap);
                        munmap(text, size);
                    }
                }
                close(fd);
            };
            l.enter = [](void *, wl_keyboard *, uint32_t, wl_surface *, wl_array *) {};
            l.leave = [](void *, wl_keyboard *, uint32_t, wl_surface *) {};
            l.key = [](void *data, wl_keyboard *, uint32_t, uint32_t, uint32_t key, uint32_t state) {
                auto *pick = static_cast<Pick *>(data);
                // The keymap numbers keys from 8 above the evdev codes.
                if (state == WL_KEYBOARD_KEY_STATE_PRESSED && pick->m_globals->keys)
                    pick->key(xkb_state_key_get_one_sym(pick->m_globals->keys, key + 8));
            };
            l.modifiers = [](void *data, wl_keyboard *, uint32_t, uint32_t depressed, uint32_t latched,
                             uint32_t locked, uint32_t group) {
                if (xkb_state *keys = static_cast<Pick *>(data)->m_globals->keys)
                    xkb_state_update_mask(keys, depressed, latched, locked, 0, 0, group);
            };
            l.repeat_info = [](void *, wl_keyboard *, int32_t, int32_t) {};
            return l;
        }();
        return &listener;
    }
};

TScreencopyPick::TScreencopyPick(QObject *parent)
    : TPickBackend(parent)
{
}

TScreencopyPick::~TScreencopyPick()
{
    disconnect();
}

void TScreencopyPick::checkAvailability()
{
    if (m_display) {
        if (m_checked)
            checked();
        return;
    }
    // A connection of its own: the pick's surfaces and its reading of the
    // outputs never touch the one Qt draws the windows through.
    if (!LoadWaylandLibs()) {
        emit notOffered();
        return;
    }
    m_display = wl_display_connect(nullptr);
    if (!m_display) {
        emit notOffered();
        return;
    }
    m_globals = std::make_unique<Globals>();
    m_globals->registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_globals->registry, &TWaylandEvents::registry, this);
    // The sync's answer comes after every global announced so far.
    m_globals->sync = wl_display_sync(m_display);
    wl_callback_add_listener(m_globals->sync, &TWaylandEvents::sync, this);
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TScreencopyPick::dispatch);
    flush();
}

void TScreencopyPick::checked()
{
    m_checked = true;
    const Globals &g = *m_globals;
    if ((g.screencopy || g.copiesImages()) && g.layerShell && g.compositor && g.subcompositor && g.shm && g.seat)
        emit availabilityChanged(true, QString());
    else
        emit notOffered();
}

void TScreencopyPick::dispatch()
{
    if (!m_display)
        return;
    if (wl_display_prepare_read(m_display) == 0 && wl_display_read_events(m_display) < 0) {
        lost();
        return;
    }
    if (wl_display_dispatch_pending(m_display) < 0) {
        lost();
        return;
    }
    flush();
}

void TScreencopyPick::flush()
{
    // Also called from within the connection's own events, where it cannot
    // be closed: the loss is handled once they are done.
    if (m_display && wl_display_flush(m_display) < 0 && errno != EAGAIN)
        QMetaObject::invokeMethod(this, &TScreencopyPick::lost, Qt::QueuedConnection);
}

void TScreencopyPick::lost()
{
    if (!m_display)
        return;
    // The compositor went away: nothing of the pick can be shown or freed
    // on its side any more, and no other pick can start.
    const bool picking = m_picking;
    disconnect();
    if (picking)
        emit finished(std::nullopt, lostMessage());
    emit availabilityChanged(false, lostMessage());
}

void TScreencopyPick::disconnect()
{
    if (!m_display)
        return;
    release();
    delete m_notifier;
    m_notifier = nullptr;
    for (auto &output : m_outputs)
        if (output->output)
            wl_output_destroy(output->output);
    m_outputs.clear();
    Globals &g = *m_globals;
    destroyProxy(g.sync, wl_callback_destroy);
    destroyProxy(g.viewporter, wp_viewporter_destroy);
    destroyProxy(g.layerShell, zwlr_layer_shell_v1_destroy);
    destroyProxy(g.screencopy, zwlr_screencopy_manager_v1_destroy);
    destroyProxy(g.imageCopy, ext_image_copy_capture_manager_v1_destroy);
    destroyProxy(g.outputSources, ext_output_image_capture_source_manager_v1_destroy);
    destroyProxy(g.seat, wl_seat_destroy);
    destroyProxy(g.shm, wl_shm_destroy);
    destroyProxy(g.subcompositor, wl_subcompositor_destroy);
    destroyProxy(g.compositor, wl_compositor_destroy);
    destroyProxy(g.registry, wl_registry_destroy);
    m_globals.reset();
    wl_display_disconnect(m_display);
    m_display = nullptr;
    m_checked = false;
}

void TScreencopyPick::start(QWidget *)
{
    // 1. Copy every output as it is now, before anything of the pick shows.
    m_picking = true;
    m_shown = false;
    m_current = nullptr;
    if (m_outputs.empty()) {
        fail(refusedMessage());
        return;
    }
    Globals &g = *m_globals;
    for (auto &output : m_outputs) {
        output->shotTransform = output->transform;  // until the frame says otherwise
        if (g.copiesImages()) {
            output->source = ext_output_image_capture_source_manager_v1_create_source(g.outputSources, output->output);
            // Options 0: without the pointer's image, which would hide the
            // pixels under it.
            output->session = ext_image_copy_capture_manager_v1_create_session(g.imageCopy, output->source, 0);
            ext_image_copy_capture_session_v1_add_listener(output->session, TWaylandEvents::session(), output.get());
        } else {
            output->frame = zwlr_screencopy_manager_v1_capture_output(g.screencopy, 0, output->output);
            zwlr_screencopy_frame_v1_add_listener(output->frame, TWaylandEvents::frame(), output.get());
        }
    }
    flush();
}

void TScreencopyPick::fail(const QString &why)
{
    if (m_picking)
        emit finished(std::nullopt, why);
}

void TScreencopyPick::frameReady()
{
    // 2. Once every output's frame is in, the overlays.
    for (auto &output : m_outputs)
        if (!output->ready)
            return;
    showOverlays();
}

void TScreencopyPick::showOverlays()
{
    Globals &g = *m_globals;
    for (auto &output : m_outputs) {
        output->surface = wl_compositor_create_surface(g.compositor);
        output->layer = zwlr_layer_shell_v1_get_layer_surface(g.layerShell, output->surface, output->output,
                                                              ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "tintaro-pick");
        zwlr_layer_surface_v1_add_listener(output->layer, TWaylandEvents::layer(), output.get());
        zwlr_layer_surface_v1_set_anchor(output->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP
                                                            | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                                                            | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
                                                            | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, and every key to the pick while it runs.
        zwlr_layer_surface_v1_set_exclusive_zone(output->layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(output->layer,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
        if (g.viewporter)
            output->viewport = wp_viewporter_get_viewport(g.viewporter, output->surface);
        // The loupe: a surface of its own above the frame, which takes no
        // pointer, so moving it redraws nothing of the frame.
        output->loupe = wl_compositor_create_surface(g.compositor);
        output->loupePlace = wl_subcompositor_get_subsurface(g.subcompositor, output->loupe, output->surface);
        wl_subsurface_set_desync(output->loupePlace);
        wl_region *none = wl_compositor_create_region(g.compositor);
        wl_surface_set_input_region(output->loupe, none);
        wl_region_destroy(none);
        if (g.viewporter)
            output->loupeViewport = wp_viewporter_get_viewport(g.viewporter, output->loupe);
        for (TShmBuffer &buffer : output->loupeBuffers)
            buffer.released = [this, place = output.get()] {
                if (place->loupeBehind && place->loupeShown)
                    drawLoupe(*place);
            };
        wl_surface_commit(output->surface);
    }
    m_shown = true;
    takeInput();
}

void TScreencopyPick::seatChanged(uint32_t capabilities)
{
    m_globals->capabilities = capabilities;
    if (m_shown)
        takeInput();
}

void TScreencopyPick::takeInput()
{
    // The pointer and the keyboard as the seat has them now: a keyboard or
    // pointer plugged in (or a virtual one made) during the pick counts too.
    Globals &g = *m_globals;
    const bool pointer = g.capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = g.capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !g.pointer) {
        g.pointer = wl_seat_get_pointer(g.seat);
        wl_pointer_add_listener(g.pointer, TWaylandEvents::pointer(), this);
        if (!g.cursor)
            makeCursor();
    } else if (!pointer && g.pointer) {
        destroyProxy(g.pointer, wl_pointer_release);
    }
    if (keyboard && !g.keyboard) {
        g.keyboard = wl_seat_get_keyboard(g.seat);
        wl_keyboard_add_listener(g.keyboard, TWaylandEvents::keyboard(), this);
    } else if (!keyboard && g.keyboard) {
        destroyProxy(g.keyboard, wl_keyboard_release);
        g.dropKeymap();
    }
    flush();
}

void TScreencopyPick::makeCursor()
{
    // A cross, black on white, its centre the pointer's hot spot.
    Globals &g = *m_globals;
    if (!g.cursorBuffer.create(g.shm, QSize(CursorSide, CursorSide), CursorSide * 4, ShmFormat::Argb8888))
        return;
    QImage image(g.cursorBuffer.data, CursorSide, CursorSide, CursorSide * 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const int mid = CursorSide / 2;
    painter.fillRect(QRect(mid - 1, 0, 3, CursorSide), Qt::white);
    painter.fillRect(QRect(0, mid - 1, CursorSide, 3), Qt::white);
    painter.fillRect(QRect(mid, 0, 1, CursorSide), Qt::black);
    painter.fillRect(QRect(0, mid, CursorSide, 1), Qt::black);
    painter.end();
    g.cursor = wl_compositor_create_surface(g.compositor);
    wl_surface_attach(g.cursor, g.cursorBuffer.buffer, 0, 0);
    wl_surface_damage(g.cursor, 0, 0, CursorSide, CursorSide);
    wl_surface_commit(g.cursor);
}

void TScreencopyPick::configured(Output &output)
{
    // 3. The frame shown where it was, device pixel for device pixel: the
    // output's transform undone by the buffer's, its scale by the viewport.
    const TFrameView view = output.view();
    if (!output.mapped) {
        wl_surface_attach(output.surface, output.shot.buffer, 0, 0);
        wl_surface_set_buffer_transform(output.surface, view.bufferTransform());
        output.drawn = wl_surface_frame(output.surface);
        wl_callback_add_listener(output.drawn, &TWaylandEvents::drawn, &output);
        output.mapped = true;
    }
    const QSize shown = view.shownSize();
    if (output.viewport)
        wp_viewport_set_destination(output.viewport, int(output.logical.width()), int(output.logical.height()));
    else if (output.logical.width() > 0)
        wl_surface_set_buffer_scale(output.surface, std::max(1, int(shown.width() / output.logical.width())));
    wl_surface_damage(output.surface, 0, 0, INT_MAX, INT_MAX);
    wl_surface_commit(output.surface);
}

void TScreencopyPick::pointerAt(Output *output, double x, double y)
{
    if (!output || output->logical.isEmpty())
        return;
    if (m_current && m_current != output)
        hideLoupe(*m_current);
    m_current = output;
    output->shown = output->view().shownPixelAt(QPointF(x, y));
    drawLoupe(*output);
}

void TScreencopyPick::key(uint32_t key)
{
    if (key == XKB_KEY_Escape) {
        emit finished(std::nullopt);
        return;
    }
    if (key == XKB_KEY_Return || key == XKB_KEY_KP_Enter || key == XKB_KEY_space) {
        take();
        return;
    }
    if (!m_current)
        return;
    // The arrows move the framed pixel by one device pixel; a Wayland client
    // cannot move the pointer itself.
    QPoint step;
    switch (key) {
    case XKB_KEY_Left: case XKB_KEY_KP_Left: step = {-1, 0}; break;
    case XKB_KEY_Right: case XKB_KEY_KP_Right: step = {1, 0}; break;
    case XKB_KEY_Up: case XKB_KEY_KP_Up: step = {0, -1}; break;
    case XKB_KEY_Down: case XKB_KEY_KP_Down: step = {0, 1}; break;
    default: return;
    }
    const QSize size = m_current->view().shownSize();
    const QPoint moved = m_current->shown + step;
    m_current->shown = QPoint(std::clamp(moved.x(), 0, size.width() - 1), std::clamp(moved.y(), 0, size.height() - 1));
    drawLoupe(*m_current);
}

void TScreencopyPick::take()
{
    if (!m_current)
        return;
    const Output &output = *m_current;
    const auto pixel = output.view().bufferPixelOf(output.shown);
    if (!pixel)
        return;
    emit finished(PixelColour(output.format, output.shot.data + pixel->y() * output.stride + pixel->x() * 4));
}

void TScreencopyPick::drawLoupe(Output &output)
{
    TShmBuffer *free = nullptr;
    for (TShmBuffer &buffer : output.loupeBuffers)
        if (!buffer.busy && (!free || buffer.buffer))
            free = &buffer;
    if (!free) {
        // Both still on screen: drawn as soon as the compositor lets one go.
        output.loupeBehind = true;
        return;
    }
    output.loupeBehind = false;
    const TFrameView view = output.view();
    // 1. The pixels around the framed one, as the output showed them.
    constexpr int Width = 2 * TLoupe::Radius + 1;
    QImage pixels(Width, Width, QImage::Format_ARGB32);
    for (int y = 0; y < Width; ++y) {
        for (int x = 0; x < Width; ++x) {
            const auto at = view.bufferPixelOf(output.shown + QPoint(x - TLoupe::Radius, y - TLoupe::Radius));
            QRgb rgb = 0;
            if (at) {
                const TColor c = PixelColour(output.format, output.shot.data + at->y() * output.stride + at->x() * 4);
                rgb = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
            }
            pixels.setPixel(x, y, rgb);
        }
    }
    // 2. Drawn as the X11 loupe draws, at the output's density.
    const QFont font = QGuiApplication::font();
    const int textHeight = QFontMetrics(font).height() + 4;
    const QSize logical(TLoupe::Side + 4, TLoupe::Side + 4 + textHeight);
    const QSize shown = view.shownSize();
    const double scale = output.logical.width() > 0 ? shown.width() / output.logical.width() : 1.0;
    const QSize device(int(std::ceil(logical.width() * scale)), int(std::ceil(logical.height() * scale)));
    if (free->size != device && !free->create(m_globals->shm, device, device.width() * 4, ShmFormat::Argb8888))
        return;
    QImage image(free->data, device.width(), device.height(), free->stride, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    const QPalette palette = QGuiApplication::palette();
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(0, 0), logical), palette.color(QPalette::Window));
    TLoupe::paintPixels(painter, QPoint(2, 2), pixels);
    const QPoint framed = *view.bufferPixelOf(output.shown);
    const TColor centre = PixelColour(output.format, output.shot.data + framed.y() * output.stride + framed.x() * 4);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.setFont(font);
    painter.drawText(QRect(2, TLoupe::Side + 4, TLoupe::Side, textHeight - 2), Qt::AlignCenter,
                     QString::fromStdString(ColorToHtml(centre)));
    painter.drawRect(QRect(QPoint(0, 0), logical).adjusted(0, 0, -1, -1));
    painter.end();
    // 3. Beside the pointer, or on the other side where the output ends;
    // on an output too small for either side, as far in as it fits.
    const QPointF at = view.surfacePointOf(output.shown);
    const auto place = [](double pointer, int side, double room) {
        const int after = int(pointer) + LoupeGap;
        const int before = int(pointer) - LoupeGap - side;
        if (after + side <= room)
            return after;
        if (before >= 0)
            return before;
        return std::clamp(after, 0, std::max(0, int(room) - side));
    };
    const int x = place(at.x(), logical.width(), output.logical.width());
    const int y = place(at.y(), logical.height(), output.logical.height());
    wl_subsurface_set_position(output.loupePlace, x, y);
    wl_surface_attach(output.loupe, free->buffer, 0, 0);
    free->busy = true;
    if (output.loupeViewport)
        wp_viewport_set_destination(output.loupeViewport, logical.width(), logical.height());
    wl_surface_damage(output.loupe, 0, 0, INT_MAX, INT_MAX);
    wl_surface_commit(output.loupe);
    // The position is the parent's state.
    wl_surface_commit(output.surface);
    output.loupeShown = true;
    flush();
}

void TScreencopyPick::hideLoupe(Output &output)
{
    if (!output.loupeShown || !output.loupe)
        return;
    wl_surface_attach(output.loupe, nullptr, 0, 0);
    wl_surface_commit(output.loupe);
    wl_surface_commit(output.surface);
    output.loupeShown = false;
    flush();
}

void TScreencopyPick::outputRemoved(uint32_t name)
{
    const auto found = std::find_if(m_outputs.begin(), m_outputs.end(),
                                    [name](const auto &output) { return output->name == name; });
    if (found == m_outputs.end())
        return;
    // A pick over an output that is gone cannot show what it would take.
    fail(outputGoneMessage());
    (*found)->endPick();
    if (m_current == found->get())
        m_current = nullptr;
    wl_output_destroy((*found)->output);
    m_outputs.erase(found);
}

void TScreencopyPick::release()
{
    m_picking = false;
    m_shown = false;
    m_current = nullptr;
    if (!m_globals)
        return;
    Globals &g = *m_globals;
    destroyProxy(g.pointer, wl_pointer_release);
    destroyProxy(g.keyboard, wl_keyboard_release);
    g.dropKeymap();
    destroyProxy(g.cursor, wl_surface_destroy);
    g.cursorBuffer.clear();
    for (auto &output : m_outputs)
        output->endPick();
    flush();
}
