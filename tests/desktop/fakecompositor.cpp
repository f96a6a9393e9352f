// A Wayland compositor that draws nothing, for the screencopy pick's tests
// of what Debian's sway 1.7 cannot bring about: an output taken away in the
// middle of a pick, a copy refused, and copies through ext-image-copy-capture,
// which it does not offer. It is no compositor of the real world: sway shows
// real behaviour (tst_wlrpick.cpp); this one offers exactly the globals the
// pick binds, answers each request as simply as the protocol allows, and
// tells the test what the client still holds.
//
// Two outputs. Output 1 is 256 × 192 at scale 1. Output 2 is 160 × 120 at
// scale 2, turned a quarter: it shows 120 × 160 device pixels, 60 × 80
// surface units. The device pixel an output shows at column X, row Y has
// red X, green Y and blue 0x40 on output 1, 0x80 on output 2, so a test
// knows each pixel's colour without asking anyone.
//
// With --ext it offers ext-image-copy-capture instead of wlr-screencopy,
// each session offering a format the pick cannot read first, then XBGR8888
// and XRGB8888; with --both, both protocols. With --upright, output 2's ext
// frames come upright (turned by the compositor, transform normal) instead
// of as its mode lies. With --reconstrain, each ext session first offers
// a buffer twice the output's size, and a frame captured to it fails for
// its constraints after the right ones are sent, as when a mode changes
// just as the copy begins; a frame copied is followed by the larger
// constraints again, before its ready.
//
// Commands, one a line on standard input, each answered on standard output
// by "done <command>" (or "fail <command>") once carried out and flushed:
//   remove-output N  output N goes away: its global is destroyed, and the
//                    clients are told by global_remove
//   refuse 1|0       later copies fail, or work again
//   hold 1|0         later ext copies wait, unanswered, until their output
//                    goes (its session is then stopped), or are made again
//   click N X Y      a left click at X, Y (surface units) of the overlay
//                    (layer surface) on output N
//   count            what the clients hold: "done count layers L mapped M
//                    surfaces S buffers B captures C", the captures being
//                    the copying protocol's frames, sessions and sources
//   copies           the outputs copied so far by each protocol: "done
//                    copies wlr N ext M"
#include "ext-image-capture-source-v1-server-protocol.h"
#include "ext-image-copy-capture-v1-server-protocol.h"
#include "viewporter-server-protocol.h"
#include "wlr-layer-shell-unstable-v1-server-protocol.h"
#include "wlr-screencopy-unstable-v1-server-protocol.h"

#include <wayland-server.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t ButtonLeft = 0x110;

struct Output
{
    int width;   // the mode, before the turn
    int height;
    int scale;
    int32_t transform;  // normal or a quarter turn (WL_OUTPUT_TRANSFORM_90)
    uint32_t blue;
    wl_global *global = nullptr;

    bool turned() const { return transform == WL_OUTPUT_TRANSFORM_90; }
    int shownWidth() const { return turned() ? height : width; }
    int shownHeight() const { return turned() ? width : height; }
};

struct Layer;

struct Surface
{
    wl_resource *resource = nullptr;
    bool attached = false;  // since the last commit, with or without a buffer
    bool pendingBuffer = false;
    bool hasBuffer = false;
    std::vector<wl_resource *> frameCallbacks;  // answered at the next commit
    Layer *layer = nullptr;
};

struct Layer
{
    wl_resource *resource = nullptr;
    Surface *surface = nullptr;
    Output *output = nullptr;
    bool configured = false;
};

struct Fake
{
    wl_display *display = nullptr;
    std::vector<Output> outputs;  // never resized: resources point into it
    std::vector<Layer *> layers;
    std::vector<wl_resource *> pointers;
    wl_resource *pointerFocus = nullptr;  // the surface the pointer is over
    bool refuse = false;
    bool upright = false;
    bool reconstrain = false;
    bool hold = false;
    std::vector<wl_resource *> heldFrames;  // ext frames waiting for their copy
    int wlrCopies = 0;
    int extCopies = 0;
    uint32_t time = 0;
    std::string input;
    bool running = true;
};

Fake fake;

template <typename T>
T *dataOf(wl_resource *resource)
{
    return static_cast<T *>(wl_resource_get_user_data(resource));
}

void destroyResource(wl_client *, wl_resource *resource)
{
    wl_resource_destroy(resource);
}

// For the requests that change nothing a test looks at.
template <typename... Args>
void ignore(wl_client *, wl_resource *, Args...)
{
}

wl_resource *create(wl_client *client, const wl_interface *interface, int version, uint32_t id,
                    const void *implementation, void *data = nullptr, wl_resource_destroy_func_t destroy = nullptr)
{
    wl_resource *resource = wl_resource_create(client, interface, version, id);
    if (!resource) {
        wl_client_post_no_memory(client);
        return nullptr;
    }
    wl_resource_set_implementation(resource, implementation, data, destroy);
    return resource;
}

/// The size of a copy of the output's pixels before `transform`.
std::pair<int, int> copySize(const Output &output, int32_t transform)
{
    if (transform == WL_OUTPUT_TRANSFORM_90)
        return {output.shownHeight(), output.shownWidth()};
    return {output.shownWidth(), output.shownHeight()};
}

// The pattern, into a client's shared buffer that holds the output's
// pixels before `transform`: a quarter turn shows the buffer turned
// clockwise, its left column as the top row read from the bottom up. False
// where the buffer is not of that size or not in one of the formats
// `offered` (XRGB8888 or XBGR8888).
bool paint(const Output &output, wl_resource *resource, int32_t transform, std::initializer_list<uint32_t> offered)
{
    wl_shm_buffer *buffer = wl_shm_buffer_get(resource);
    if (!buffer)
        return false;
    const bool turned = transform == WL_OUTPUT_TRANSFORM_90;
    const auto [width, height] = copySize(output, transform);
    const uint32_t format = wl_shm_buffer_get_format(buffer);
    const int stride = wl_shm_buffer_get_stride(buffer);
    const bool redFirst = format == WL_SHM_FORMAT_XBGR8888;
    if (std::ranges::find(offered, format) == offered.end() || wl_shm_buffer_get_width(buffer) != width
        || wl_shm_buffer_get_height(buffer) != height || stride < width * 4)
        return false;
    wl_shm_buffer_begin_access(buffer);
    auto *data = static_cast<unsigned char *>(wl_shm_buffer_get_data(buffer));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t shownX = turned ? uint32_t(height - 1 - y) : uint32_t(x);
            const uint32_t shownY = turned ? uint32_t(x) : uint32_t(y);
            // Little-endian words, as wl_shm lays them out: the low byte
            // first, which is blue in XRGB8888 and red in XBGR8888.
            unsigned char *pixel = data + size_t(y) * size_t(stride) + size_t(x) * 4;
            pixel[0] = (unsigned char)(redFirst ? shownX : output.blue);
            pixel[1] = (unsigned char)shownY;
            pixel[2] = (unsigned char)(redFirst ? output.blue : shownX);
            pixel[3] = 0xff;
        }
    }
    wl_shm_buffer_end_access(buffer);
    return true;
}

void configureLayer(Layer &layer)
{
    const Output &output = *layer.output;
    zwlr_layer_surface_v1_send_configure(layer.resource, wl_display_next_serial(fake.display),
                                         uint32_t(output.shownWidth() / output.scale),
                                         uint32_t(output.shownHeight() / output.scale));
    layer.configured = true;
}

const struct wl_surface_interface surfaceRequests = {
    .destroy = destroyResource,
    .attach = [](wl_client *, wl_resource *resource, wl_resource *buffer, int32_t, int32_t) {
        Surface *surface = dataOf<Surface>(resource);
        surface->attached = true;
        surface->pendingBuffer = buffer;
        // Nothing is drawn: the buffer is let go at once, as by a
        // compositor that has copied it.
        if (buffer)
            wl_buffer_send_release(buffer);
    },
    .damage = ignore,
    .frame = [](wl_client *client, wl_resource *resource, uint32_t id) {
        Surface *surface = dataOf<Surface>(resource);
        wl_resource *callback = create(client, &wl_callback_interface, 1, id, nullptr, surface,
                                       [](wl_resource *callback) {
                                           if (Surface *surface = dataOf<Surface>(callback))
                                               std::erase(surface->frameCallbacks, callback);
                                       });
        if (callback)
            surface->frameCallbacks.push_back(callback);
    },
    .set_opaque_region = ignore,
    .set_input_region = ignore,
    .commit = [](wl_client *, wl_resource *resource) {
        Surface *surface = dataOf<Surface>(resource);
        if (surface->attached)
            surface->hasBuffer = surface->pendingBuffer;
        surface->attached = false;
        // A layer surface is told its size at its first commit.
        if (surface->layer && !surface->layer->configured)
            configureLayer(*surface->layer);
        const std::vector<wl_resource *> callbacks = std::move(surface->frameCallbacks);
        surface->frameCallbacks.clear();
        for (wl_resource *callback : callbacks) {
            wl_resource_set_user_data(callback, nullptr);
            wl_callback_send_done(callback, fake.time);
            wl_resource_destroy(callback);
        }
    },
    .set_buffer_transform = ignore,
    .set_buffer_scale = ignore,
    .damage_buffer = ignore,
    .offset = ignore,
};

void surfaceGone(wl_resource *resource)
{
    Surface *surface = dataOf<Surface>(resource);
    for (wl_resource *callback : surface->frameCallbacks)
        wl_resource_set_user_data(callback, nullptr);
    if (surface->layer)
        surface->layer->surface = nullptr;
    if (fake.pointerFocus == resource)
        fake.pointerFocus = nullptr;
    delete surface;
}

const struct wl_region_interface regionRequests = {
    .destroy = destroyResource,
    .add = ignore,
    .subtract = ignore,
};

const struct wl_compositor_interface compositorRequests = {
    .create_surface = [](wl_client *client, wl_resource *resource, uint32_t id) {
        auto *surface = new Surface;
        surface->resource = create(client, &wl_surface_interface, wl_resource_get_version(resource), id,
                                   &surfaceRequests, surface, surfaceGone);
        if (!surface->resource)
            delete surface;
    },
    .create_region = [](wl_client *client, wl_resource *resource, uint32_t id) {
        create(client, &wl_region_interface, wl_resource_get_version(resource), id, &regionRequests);
    },
};

const struct wl_subsurface_interface subsurfaceRequests = {
    .destroy = destroyResource,
    .set_position = ignore,
    .place_above = ignore,
    .place_below = ignore,
    .set_sync = ignore,
    .set_desync = ignore,
};

const struct wl_subcompositor_interface subcompositorRequests = {
    .destroy = destroyResource,
    .get_subsurface = [](wl_client *client, wl_resource *, uint32_t id, wl_resource *, wl_resource *) {
        create(client, &wl_subsurface_interface, 1, id, &subsurfaceRequests);
    },
};

const struct wp_viewport_interface viewportRequests = {
    .destroy = destroyResource,
    .set_source = ignore,
    .set_destination = ignore,
};

const struct wp_viewporter_interface viewporterRequests = {
    .destroy = destroyResource,
    .get_viewport = [](wl_client *client, wl_resource *, uint32_t id, wl_resource *) {
        create(client, &wp_viewport_interface, 1, id, &viewportRequests);
    },
};

const struct wl_pointer_interface pointerRequests = {
    .set_cursor = ignore,
    .release = destroyResource,
};

const struct wl_keyboard_interface keyboardRequests = {
    .release = destroyResource,
};

const struct wl_seat_interface seatRequests = {
    .get_pointer = [](wl_client *client, wl_resource *seat, uint32_t id) {
        wl_resource *pointer = create(client, &wl_pointer_interface, wl_resource_get_version(seat), id,
                                      &pointerRequests, nullptr,
                                      [](wl_resource *pointer) { std::erase(fake.pointers, pointer); });
        if (pointer)
            fake.pointers.push_back(pointer);
    },
    // No keys are ever pressed here, so no keymap is sent.
    .get_keyboard = [](wl_client *client, wl_resource *seat, uint32_t id) {
        create(client, &wl_keyboard_interface, wl_resource_get_version(seat), id, &keyboardRequests);
    },
    .get_touch = [](wl_client *, wl_resource *seat, uint32_t) {
        wl_resource_post_error(seat, WL_SEAT_ERROR_MISSING_CAPABILITY, "no touch here");
    },
    .release = destroyResource,
};

const struct wl_output_interface outputRequests = {
    .release = destroyResource,
};

const struct zwlr_layer_surface_v1_interface layerRequests = {
    .set_size = ignore,
    .set_anchor = ignore,
    .set_exclusive_zone = ignore,
    .set_margin = ignore,
    .set_keyboard_interactivity = ignore,
    .get_popup = ignore,
    .ack_configure = ignore,
    .destroy = destroyResource,
    .set_layer = ignore,
};

void layerGone(wl_resource *resource)
{
    Layer *layer = dataOf<Layer>(resource);
    if (layer->surface)
        layer->surface->layer = nullptr;
    std::erase(fake.layers, layer);
    delete layer;
}

const struct zwlr_layer_shell_v1_interface layerShellRequests = {
    .get_layer_surface = [](wl_client *client, wl_resource *shell, uint32_t id, wl_resource *surface,
                            wl_resource *output, uint32_t, const char *) {
        auto *layer = new Layer;
        layer->surface = dataOf<Surface>(surface);
        layer->output = output ? dataOf<Output>(output) : &fake.outputs.front();
        layer->resource = create(client, &zwlr_layer_surface_v1_interface, wl_resource_get_version(shell), id,
                                 &layerRequests, layer, layerGone);
        if (!layer->resource) {
            delete layer;
            return;
        }
        layer->surface->layer = layer;
        fake.layers.push_back(layer);
    },
    .destroy = destroyResource,
};

void copyFrame(wl_resource *frame, wl_resource *buffer)
{
    if (fake.refuse) {
        zwlr_screencopy_frame_v1_send_failed(frame);
        return;
    }
    if (!paint(*dataOf<Output>(frame), buffer, dataOf<Output>(frame)->transform, {WL_SHM_FORMAT_XRGB8888})) {
        wl_resource_post_error(frame, ZWLR_SCREENCOPY_FRAME_V1_ERROR_INVALID_BUFFER, "not the buffer described");
        return;
    }
    ++fake.wlrCopies;
    zwlr_screencopy_frame_v1_send_flags(frame, 0);
    zwlr_screencopy_frame_v1_send_ready(frame, 0, 0, 0);
}

const struct zwlr_screencopy_frame_v1_interface frameRequests = {
    .copy = [](wl_client *, wl_resource *frame, wl_resource *buffer) { copyFrame(frame, buffer); },
    .destroy = destroyResource,
    .copy_with_damage = [](wl_client *, wl_resource *frame, wl_resource *buffer) { copyFrame(frame, buffer); },
};

wl_resource *createFrame(wl_client *client, wl_resource *manager, uint32_t id, wl_resource *output)
{
    return create(client, &zwlr_screencopy_frame_v1_interface, wl_resource_get_version(manager), id,
                  &frameRequests, dataOf<Output>(output));
}

const struct zwlr_screencopy_manager_v1_interface screencopyRequests = {
    .capture_output = [](wl_client *client, wl_resource *manager, uint32_t id, int32_t, wl_resource *output) {
        wl_resource *frame = createFrame(client, manager, id, output);
        if (!frame)
            return;
        // The output's own pixels, before its turn, in the one format.
        const Output &copied = *dataOf<Output>(output);
        const auto [width, height] = copySize(copied, copied.transform);
        zwlr_screencopy_frame_v1_send_buffer(frame, WL_SHM_FORMAT_XRGB8888, uint32_t(width), uint32_t(height),
                                             uint32_t(width * 4));
        if (wl_resource_get_version(frame) >= 3)
            zwlr_screencopy_frame_v1_send_buffer_done(frame);
    },
    .capture_output_region = [](wl_client *client, wl_resource *manager, uint32_t id, int32_t, wl_resource *output,
                                int32_t, int32_t, int32_t, int32_t) {
        if (wl_resource *frame = createFrame(client, manager, id, output))
            zwlr_screencopy_frame_v1_send_failed(frame);
    },
    .destroy = destroyResource,
};

// An ext frame, watching the buffer attached to it, which the client may
// destroy before it asks for the copy.
struct ImageFrame
{
    wl_listener bufferGone;  // first, so the listener leads back to the frame
    Output *output = nullptr;
    wl_resource *session = nullptr;
    wl_resource *buffer = nullptr;

    void attach(wl_resource *resource)
    {
        detach();
        buffer = resource;
        bufferGone.notify = [](wl_listener *listener, void *) {
            reinterpret_cast<ImageFrame *>(listener)->detach();
        };
        wl_resource_add_destroy_listener(buffer, &bufferGone);
    }
    void detach()
    {
        if (buffer)
            wl_list_remove(&bufferGone.link);
        buffer = nullptr;
    }
};

/// One batch of buffer constraints.
void offerBuffers(wl_resource *session, std::pair<int, int> size)
{
    ext_image_copy_capture_session_v1_send_buffer_size(session, uint32_t(size.first), uint32_t(size.second));
    ext_image_copy_capture_session_v1_send_shm_format(session, WL_SHM_FORMAT_RGB565);
    ext_image_copy_capture_session_v1_send_shm_format(session, WL_SHM_FORMAT_XBGR8888);
    ext_image_copy_capture_session_v1_send_shm_format(session, WL_SHM_FORMAT_XRGB8888);
    ext_image_copy_capture_session_v1_send_done(session);
}

// How ext frames of an output come: as its mode lies, with its transform,
// or upright (with --upright, for the turned output) with none.
int32_t imageTransform(const Output &output)
{
    return fake.upright ? WL_OUTPUT_TRANSFORM_NORMAL : output.transform;
}

const struct ext_image_copy_capture_frame_v1_interface imageFrameRequests = {
    .destroy = destroyResource,
    .attach_buffer = [](wl_client *, wl_resource *resource, wl_resource *buffer) {
        dataOf<ImageFrame>(resource)->attach(buffer);
    },
    .damage_buffer = ignore,
    .capture = [](wl_client *, wl_resource *resource) {
        ImageFrame *frame = dataOf<ImageFrame>(resource);
        if (!frame->buffer) {
            wl_resource_post_error(resource, EXT_IMAGE_COPY_CAPTURE_FRAME_V1_ERROR_NO_BUFFER, "no buffer");
            return;
        }
        if (fake.refuse) {
            ext_image_copy_capture_frame_v1_send_failed(resource,
                                                        EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_UNKNOWN);
            return;
        }
        if (fake.hold) {
            fake.heldFrames.push_back(resource);
            return;
        }
        const int32_t transform = imageTransform(*frame->output);
        if (!paint(*frame->output, frame->buffer, transform, {WL_SHM_FORMAT_XBGR8888, WL_SHM_FORMAT_XRGB8888})) {
            if (fake.reconstrain)
                offerBuffers(frame->session, copySize(*frame->output, transform));
            ext_image_copy_capture_frame_v1_send_failed(
                resource, EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_BUFFER_CONSTRAINTS);
            return;
        }
        ++fake.extCopies;
        // ... and once copied, they change again, for later frames.
        if (fake.reconstrain) {
            const auto [width, height] = copySize(*frame->output, transform);
            offerBuffers(frame->session, {width * 2, height * 2});
        }
        ext_image_copy_capture_frame_v1_send_transform(resource, uint32_t(transform));
        const auto [width, height] = copySize(*frame->output, transform);
        ext_image_copy_capture_frame_v1_send_damage(resource, 0, 0, width, height);
        ext_image_copy_capture_frame_v1_send_presentation_time(resource, 0, 0, 0);
        ext_image_copy_capture_frame_v1_send_ready(resource);
    },
};

const struct ext_image_copy_capture_session_v1_interface sessionRequests = {
    .create_frame = [](wl_client *client, wl_resource *session, uint32_t id) {
        auto *frame = new ImageFrame;
        frame->output = dataOf<Output>(session);
        frame->session = session;
        if (!create(client, &ext_image_copy_capture_frame_v1_interface, wl_resource_get_version(session), id,
                    &imageFrameRequests, frame,
                    [](wl_resource *resource) {
                        ImageFrame *frame = dataOf<ImageFrame>(resource);
                        std::erase(fake.heldFrames, resource);
                        frame->detach();
                        delete frame;
                    }))
            delete frame;
    },
    .destroy = destroyResource,
};

const struct ext_image_copy_capture_manager_v1_interface imageCopyRequests = {
    .create_session = [](wl_client *client, wl_resource *manager, uint32_t id, wl_resource *source, uint32_t) {
        Output *output = dataOf<Output>(source);
        wl_resource *session = create(client, &ext_image_copy_capture_session_v1_interface,
                                      wl_resource_get_version(manager), id, &sessionRequests, output);
        if (!session)
            return;
        auto size = copySize(*output, imageTransform(*output));
        if (fake.reconstrain)
            size = {size.first * 2, size.second * 2};
        offerBuffers(session, size);
    },
    .create_pointer_cursor_session = [](wl_client *, wl_resource *manager, uint32_t, wl_resource *, wl_resource *) {
        wl_resource_post_error(manager, WL_DISPLAY_ERROR_IMPLEMENTATION, "no cursor sessions here");
    },
    .destroy = destroyResource,
};

const struct ext_image_capture_source_v1_interface sourceRequests = {
    .destroy = destroyResource,
};

const struct ext_output_image_capture_source_manager_v1_interface outputSourceRequests = {
    .create_source = [](wl_client *client, wl_resource *manager, uint32_t id, wl_resource *output) {
        create(client, &ext_image_capture_source_v1_interface, wl_resource_get_version(manager), id,
               &sourceRequests, dataOf<Output>(output));
    },
    .destroy = destroyResource,
};

void bindOutput(wl_client *client, void *data, uint32_t version, uint32_t id)
{
    auto *output = static_cast<Output *>(data);
    wl_resource *resource = create(client, &wl_output_interface, int(version), id, &outputRequests, output);
    if (!resource)
        return;
    wl_output_send_geometry(resource, 0, 0, 300, 200, WL_OUTPUT_SUBPIXEL_UNKNOWN, "Tintaro", "fake",
                            output->transform);
    wl_output_send_mode(resource, WL_OUTPUT_MODE_CURRENT | WL_OUTPUT_MODE_PREFERRED, output->width, output->height,
                        60000);
    if (version >= WL_OUTPUT_SCALE_SINCE_VERSION)
        wl_output_send_scale(resource, output->scale);
    if (version >= WL_OUTPUT_DONE_SINCE_VERSION)
        wl_output_send_done(resource);
}

void bindSeat(wl_client *client, void *, uint32_t version, uint32_t id)
{
    wl_resource *seat = create(client, &wl_seat_interface, int(version), id, &seatRequests);
    if (!seat)
        return;
    wl_seat_send_capabilities(seat, WL_SEAT_CAPABILITY_POINTER | WL_SEAT_CAPABILITY_KEYBOARD);
    if (version >= WL_SEAT_NAME_SINCE_VERSION)
        wl_seat_send_name(seat, "seat0");
}

template <const wl_interface *Interface, const auto *Requests>
void bindPlain(wl_client *client, void *, uint32_t version, uint32_t id)
{
    create(client, Interface, int(version), id, Requests);
}

Layer *overlayOn(const Output &output)
{
    for (Layer *layer : fake.layers)
        if (layer->output == &output && layer->surface && layer->surface->hasBuffer)
            return layer;
    return nullptr;
}

bool click(int number, double x, double y)
{
    if (number < 1 || number > int(fake.outputs.size()))
        return false;
    const Layer *layer = overlayOn(fake.outputs[size_t(number - 1)]);
    if (!layer)
        return false;
    wl_resource *surface = layer->surface->resource;
    wl_client *client = wl_resource_get_client(surface);
    bool sent = false;
    for (wl_resource *pointer : fake.pointers) {
        if (wl_resource_get_client(pointer) != client)
            continue;
        const bool frames = wl_resource_get_version(pointer) >= WL_POINTER_FRAME_SINCE_VERSION;
        if (fake.pointerFocus != surface) {
            if (fake.pointerFocus && wl_resource_get_client(fake.pointerFocus) == client)
                wl_pointer_send_leave(pointer, wl_display_next_serial(fake.display), fake.pointerFocus);
            wl_pointer_send_enter(pointer, wl_display_next_serial(fake.display), surface, wl_fixed_from_double(x),
                                  wl_fixed_from_double(y));
        } else {
            wl_pointer_send_motion(pointer, ++fake.time, wl_fixed_from_double(x), wl_fixed_from_double(y));
        }
        if (frames)
            wl_pointer_send_frame(pointer);
        for (const uint32_t state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            wl_pointer_send_button(pointer, wl_display_next_serial(fake.display), ++fake.time, ButtonLeft, state);
            if (frames)
                wl_pointer_send_frame(pointer);
        }
        sent = true;
    }
    if (sent)
        fake.pointerFocus = surface;
    return sent;
}

struct Counts
{
    int layers = 0;
    int mapped = 0;
    int surfaces = 0;
    int buffers = 0;
    int captures = 0;
};

std::string count()
{
    Counts counts;
    wl_list *clients = wl_display_get_client_list(fake.display);
    for (wl_list *link = clients->next; link != clients; link = link->next) {
        wl_client_for_each_resource(
            wl_client_from_link(link),
            [](wl_resource *resource, void *data) {
                Counts &counts = *static_cast<Counts *>(data);
                const std::string_view is = wl_resource_get_class(resource);
                if (is == zwlr_layer_surface_v1_interface.name) {
                    ++counts.layers;
                    const Layer *layer = dataOf<Layer>(resource);
                    counts.mapped += layer->surface && layer->surface->hasBuffer;
                } else if (is == wl_surface_interface.name) {
                    ++counts.surfaces;
                } else if (is == wl_buffer_interface.name) {
                    ++counts.buffers;
                } else if (is == zwlr_screencopy_frame_v1_interface.name
                           || is == ext_image_copy_capture_frame_v1_interface.name
                           || is == ext_image_copy_capture_session_v1_interface.name
                           || is == ext_image_capture_source_v1_interface.name) {
                    ++counts.captures;
                }
                return WL_ITERATOR_CONTINUE;
            },
            &counts);
    }
    std::ostringstream text;
    text << " layers " << counts.layers << " mapped " << counts.mapped << " surfaces " << counts.surfaces
         << " buffers " << counts.buffers << " captures " << counts.captures;
    return text.str();
}

// Carries out one command; the answer's tail, or false where it cannot.
bool run(const std::string &line, std::string &tail)
{
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "remove-output") {
        int number = 0;
        words >> number;
        if (number < 1 || number > int(fake.outputs.size()) || !fake.outputs[size_t(number - 1)].global)
            return false;
        // Only the global goes, and the copies waiting on it stop: the
        // overlay on it is left for the client to take down, which a
        // compositor closing it too would hide.
        const Output *gone = &fake.outputs[size_t(number - 1)];
        for (wl_resource *held : std::vector<wl_resource *>(fake.heldFrames)) {
            ImageFrame *frame = dataOf<ImageFrame>(held);
            if (frame->output != gone)
                continue;
            ext_image_copy_capture_session_v1_send_stopped(frame->session);
            ext_image_copy_capture_frame_v1_send_failed(held, EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED);
            std::erase(fake.heldFrames, held);
        }
        wl_global_destroy(fake.outputs[size_t(number - 1)].global);
        fake.outputs[size_t(number - 1)].global = nullptr;
        return true;
    }
    if (command == "refuse") {
        int refuse = 0;
        words >> refuse;
        fake.refuse = refuse == 1;
        return true;
    }
    if (command == "hold") {
        int hold = 0;
        words >> hold;
        fake.hold = hold == 1;
        return true;
    }
    if (command == "click") {
        int number = 0;
        double x = -1, y = -1;
        words >> number >> x >> y;
        return click(number, x, y);
    }
    if (command == "count") {
        tail = count();
        return true;
    }
    if (command == "copies") {
        tail = " wlr " + std::to_string(fake.wlrCopies) + " ext " + std::to_string(fake.extCopies);
        return true;
    }
    return false;
}

int readCommands(int fd, uint32_t, void *)
{
    char chunk[256];
    const ssize_t read = ::read(fd, chunk, sizeof chunk);
    if (read <= 0) {
        if (read == 0 || errno != EINTR)
            fake.running = false;
        return 0;
    }
    fake.input.append(chunk, size_t(read));
    for (size_t end; (end = fake.input.find('\n')) != std::string::npos;) {
        const std::string line = fake.input.substr(0, end);
        fake.input.erase(0, end + 1);
        std::string tail;
        const bool done = run(line, tail);
        // What the command sent reaches the clients before the test reads
        // the answer.
        wl_display_flush_clients(fake.display);
        std::cout << (done ? "done " : "fail ") << line.substr(0, line.find(' ')) << tail << std::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string_view> flags(argv + 1, argv + argc);
    const auto flag = [&flags](std::string_view name) { return std::ranges::find(flags, name) != flags.end(); };
    const bool both = flag("--both");
    const bool ext = both || flag("--ext");
    const bool wlr = both || !ext;
    fake.upright = flag("--upright");
    fake.reconstrain = flag("--reconstrain");
    fake.display = wl_display_create();
    if (!fake.display || wl_display_init_shm(fake.display) != 0) {
        std::cerr << "no Wayland display\n";
        return 1;
    }
    // Beside the two every wl_shm offers: the formats the ext sessions name.
    wl_display_add_shm_format(fake.display, WL_SHM_FORMAT_XBGR8888);
    wl_display_add_shm_format(fake.display, WL_SHM_FORMAT_RGB565);
    const char *socket = wl_display_add_socket_auto(fake.display);
    if (!socket) {
        std::cerr << "no socket in XDG_RUNTIME_DIR\n";
        return 1;
    }
    fake.outputs = {
        {.width = 256, .height = 192, .scale = 1, .transform = WL_OUTPUT_TRANSFORM_NORMAL, .blue = 0x40},
        {.width = 160, .height = 120, .scale = 2, .transform = WL_OUTPUT_TRANSFORM_90, .blue = 0x80},
    };
    // The versions the pick binds at most.
    wl_global_create(fake.display, &wl_compositor_interface, 4, nullptr,
                     bindPlain<&wl_compositor_interface, &compositorRequests>);
    wl_global_create(fake.display, &wl_subcompositor_interface, 1, nullptr,
                     bindPlain<&wl_subcompositor_interface, &subcompositorRequests>);
    wl_global_create(fake.display, &wp_viewporter_interface, 1, nullptr,
                     bindPlain<&wp_viewporter_interface, &viewporterRequests>);
    wl_global_create(fake.display, &zwlr_layer_shell_v1_interface, 3, nullptr,
                     bindPlain<&zwlr_layer_shell_v1_interface, &layerShellRequests>);
    if (wlr)
        wl_global_create(fake.display, &zwlr_screencopy_manager_v1_interface, 3, nullptr,
                         bindPlain<&zwlr_screencopy_manager_v1_interface, &screencopyRequests>);
    if (ext) {
        wl_global_create(fake.display, &ext_image_copy_capture_manager_v1_interface, 1, nullptr,
                         bindPlain<&ext_image_copy_capture_manager_v1_interface, &imageCopyRequests>);
        wl_global_create(fake.display, &ext_output_image_capture_source_manager_v1_interface, 1, nullptr,
                         bindPlain<&ext_output_image_capture_source_manager_v1_interface, &outputSourceRequests>);
    }
    wl_global_create(fake.display, &wl_seat_interface, 5, nullptr, bindSeat);
    for (Output &output : fake.outputs)
        output.global = wl_global_create(fake.display, &wl_output_interface, 3, &output, bindOutput);

    wl_event_loop *loop = wl_display_get_event_loop(fake.display);
    wl_event_source *commands = wl_event_loop_add_fd(loop, STDIN_FILENO, WL_EVENT_READABLE, readCommands, nullptr);
    std::cout << "ready " << std::getenv("XDG_RUNTIME_DIR") << '/' << socket << std::endl;
    while (fake.running) {
        wl_display_flush_clients(fake.display);
        wl_event_loop_dispatch(loop, -1);
    }
    wl_event_source_remove(commands);
    wl_display_destroy_clients(fake.display);
    wl_display_destroy(fake.display);
    return 0;
}
