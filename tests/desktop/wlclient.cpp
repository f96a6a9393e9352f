// A Wayland client of the test's own beside the picker under a wlroots
// compositor: it covers every output with a pattern in which each device
// pixel has a colour of its own (red the column, green the row, blue the
// output and the high bits), and it moves and clicks the pointer through
// the virtual-pointer protocol. Commands, one a line on standard input,
// each answered by a line once the compositor has taken it in:
//   paint N            the pattern, inverted when N is 1
//   move X Y W H       the pointer to X, Y of a layout W × H (fractions kept)
//   button B 1|0       press or release button B (evdev code)
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Output
{
    wl_output *output = nullptr;
    int index = 0;
    int32_t transform = 0;
    int32_t modeWidth = 0;
    int32_t modeHeight = 0;
    wl_surface *surface = nullptr;
    zwlr_layer_surface_v1 *layer = nullptr;
    wp_viewport *viewport = nullptr;
    uint32_t width = 0;  // surface units, from the configure
    uint32_t height = 0;
    bool configured = false;
    wl_buffer *buffer = nullptr;
    void *data = nullptr;
    size_t bytes = 0;
};

struct Client
{
    wl_display *display = nullptr;
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    wl_seat *seat = nullptr;
    zwlr_layer_shell_v1 *layerShell = nullptr;
    wp_viewporter *viewporter = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
    zwlr_virtual_pointer_v1 *pointer = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    uint32_t time = 0;
};

void outputGeometry(void *data, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *, const char *,
                    int32_t transform)
{
    static_cast<Output *>(data)->transform = transform;
}

void outputMode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        static_cast<Output *>(data)->modeWidth = width;
        static_cast<Output *>(data)->modeHeight = height;
    }
}

void ignoreDone(void *, wl_output *) {}
void ignoreScale(void *, wl_output *, int32_t) {}
void ignoreText(void *, wl_output *, const char *) {}

const wl_output_listener outputListener = {outputGeometry, outputMode, ignoreDone, ignoreScale, ignoreText, ignoreText};

void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *client = static_cast<Client *>(data);
    const std::string is(interface);
    if (is == wl_compositor_interface.name)
        client->compositor = static_cast<wl_compositor *>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (is == wl_shm_interface.name)
        client->shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (is == wl_seat_interface.name && !client->seat)
        client->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (is == zwlr_layer_shell_v1_interface.name)
        client->layerShell = static_cast<zwlr_layer_shell_v1 *>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
    else if (is == wp_viewporter_interface.name)
        client->viewporter = static_cast<wp_viewporter *>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
    else if (is == zwlr_virtual_pointer_manager_v1_interface.name)
        client->pointers = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (is == wl_output_interface.name) {
        auto output = std::make_unique<Output>();
        output->index = int(client->outputs.size());
        output->output = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 2));
        wl_output_add_listener(output->output, &outputListener, output.get());
        client->outputs.push_back(std::move(output));
    }
}

void globalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

void layerConfigure(void *data, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t width, uint32_t height)
{
    auto *output = static_cast<Output *>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    output->width = width;
    output->height = height;
    output->configured = true;
}

void layerClosed(void *, zwlr_layer_surface_v1 *) {}

const zwlr_layer_surface_v1_listener layerListener = {layerConfigure, layerClosed};

/// Each shown device pixel its own colour; `inverted` turns every channel over.
void paint(Client &client, Output &output, bool inverted)
{
    const bool quarter = output.transform & 1;
    const int width = quarter ? output.modeHeight : output.modeWidth;
    const int height = quarter ? output.modeWidth : output.modeHeight;
    const int stride = width * 4;
    if (!output.buffer) {
        output.bytes = size_t(stride) * size_t(height);
        const int fd = memfd_create("wlclient", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(output.bytes)) < 0)
            return;
        output.data = mmap(nullptr, output.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        wl_shm_pool *pool = wl_shm_create_pool(client.shm, fd, int32_t(output.bytes));
        output.buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
    }
    auto *pixels = static_cast<uint32_t *>(output.data);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t red = x & 0xff;
            uint32_t green = y & 0xff;
            uint32_t blue = uint32_t(output.index) << 6 | uint32_t(x >> 8) << 3 | uint32_t(y >> 8);
            if (inverted) {
                red = 255 - red;
                green = 255 - green;
                blue = 255 - blue;
            }
            pixels[size_t(y) * size_t(width) + size_t(x)] = red << 16 | green << 8 | blue;
        }
    }
    wl_surface_attach(output.surface, output.buffer, 0, 0);
    wp_viewport_set_destination(output.viewport, int32_t(output.width), int32_t(output.height));
    wl_surface_damage_buffer(output.surface, 0, 0, width, height);
    wl_surface_commit(output.surface);
}

void paintAll(Client &client, bool inverted)
{
    for (auto &output : client.outputs) {
        if (!output->surface) {
            output->surface = wl_compositor_create_surface(client.compositor);
            output->layer = zwlr_layer_shell_v1_get_layer_surface(client.layerShell, output->surface, output->output,
                                                                  ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "wlclient");
            zwlr_layer_surface_v1_add_listener(output->layer, &layerListener, output.get());
            zwlr_layer_surface_v1_set_anchor(output->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP
                                                                | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                                                                | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
                                                                | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
            zwlr_layer_surface_v1_set_exclusive_zone(output->layer, -1);
            output->viewport = wp_viewporter_get_viewport(client.viewporter, output->surface);
            wl_surface_commit(output->surface);
        }
    }
    wl_display_roundtrip(client.display);
    for (auto &output : client.outputs)
        if (output->configured)
            paint(client, *output, inverted);
    wl_display_roundtrip(client.display);
}

} // namespace

int main()
{
    Client client;
    client.display = wl_display_connect(nullptr);
    if (!client.display) {
        std::fputs("no Wayland compositor\n", stderr);
        return 1;
    }
    wl_registry *registry = wl_display_get_registry(client.display);
    wl_registry_add_listener(registry, &registryListener, &client);
    wl_display_roundtrip(client.display);
    wl_display_roundtrip(client.display);
    if (!client.compositor || !client.shm || !client.layerShell || !client.viewporter || !client.pointers) {
        std::fputs("the compositor lacks a protocol this client needs\n", stderr);
        return 1;
    }
    client.pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(client.pointers, client.seat);
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "paint") {
            int inverted = 0;
            words >> inverted;
            paintAll(client, inverted == 1);
        } else if (command == "move") {
            // In 1/256 of a unit, so a point between device pixels is kept.
            double x = 0, y = 0, w = 1, h = 1;
            words >> x >> y >> w >> h;
            zwlr_virtual_pointer_v1_motion_absolute(client.pointer, client.time++, uint32_t(x * 256), uint32_t(y * 256),
                                                    uint32_t(w * 256), uint32_t(h * 256));
            zwlr_virtual_pointer_v1_frame(client.pointer);
            wl_display_roundtrip(client.display);
        } else if (command == "button") {
            uint32_t button = 0, pressed = 0;
            words >> button >> pressed;
            zwlr_virtual_pointer_v1_button(client.pointer, client.time++, button,
                                           pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(client.pointer);
            wl_display_roundtrip(client.display);
        } else {
            std::cout << "unknown " << command << std::endl;
            continue;
        }
        std::cout << "done " << command << std::endl;
    }
    wl_display_disconnect(client.display);
    return 0;
}
