// Another X client beside the program under test, for what xdotool cannot
// do. Each mode prints one line when it is done and, where it holds
// something, holds it until its standard input ends.
//   paint        every screen's root shows the pattern below, as long as
//                some client is connected (the server resets when the last leaves)
//   grab-pointer an active pointer grab on screen 0, as an open menu holds it;
//                "release" on standard input lets it go
//   probe        whether the pointer and the keyboard can be grabbed now:
//                "pointer <status> keyboard <status>", 0 being success
//   close <id>   asks the window manager to close the window, as a taskbar does
//
// The pattern: on screen s the device pixel (x, y) has red x mod 256,
// green y mod 256 and blue (x / 256 mod 16) + 16 (y / 256 mod 8) + 128 s,
// so every pixel of two screens up to 4096 x 2048 has its own colour.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

uint32_t patternPixel(int screen, int x, int y)
{
    const uint32_t red = x & 255;
    const uint32_t green = y & 255;
    const uint32_t blue = ((x >> 8) & 15) | (((y >> 8) & 7) << 4) | (uint32_t(screen) << 7);
    return red << 16 | green << 8 | blue;
}

int paint(xcb_connection_t *connection)
{
    const uint32_t maxRequest = xcb_get_maximum_request_length(connection) * 4;
    int index = 0;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it), ++index) {
        const xcb_screen_t *screen = it.data;
        if (screen->root_depth != 24) {
            std::fprintf(stderr, "screen %d has depth %d, not 24\n", index, screen->root_depth);
            return 1;
        }
        const int width = screen->width_in_pixels;
        const int height = screen->height_in_pixels;
        const xcb_pixmap_t pixmap = xcb_generate_id(connection);
        xcb_create_pixmap(connection, 24, pixmap, screen->root, width, height);
        const xcb_gcontext_t gc = xcb_generate_id(connection);
        xcb_create_gc(connection, gc, pixmap, 0, nullptr);
        const int rowsPerRequest = std::max(1, int((maxRequest - 64) / (uint32_t(width) * 4)));
        std::vector<uint32_t> rows;
        for (int top = 0; top < height; top += rowsPerRequest) {
            const int count = std::min(rowsPerRequest, height - top);
            rows.resize(size_t(width) * count);
            for (int y = 0; y < count; ++y)
                for (int x = 0; x < width; ++x)
                    rows[size_t(y) * width + x] = patternPixel(index, x, top + y);
            xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width, count, 0, top, 0, 24,
                          uint32_t(rows.size() * 4), reinterpret_cast<const uint8_t *>(rows.data()));
        }
        xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
        // The root keeps its background when the pixmap's name is freed.
        xcb_free_pixmap(connection, pixmap);
        xcb_free_gc(connection, gc);
    }
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));  // all done
    std::puts("painted");
    return 0;
}

xcb_screen_t *firstScreen(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
}

int grabPointerStatus(xcb_connection_t *connection)
{
    xcb_grab_pointer_reply_t *reply = xcb_grab_pointer_reply(
        connection,
        xcb_grab_pointer(connection, 0, firstScreen(connection)->root,
                         XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    const int status = reply ? reply->status : -1;
    free(reply);
    return status;
}

int grabKeyboardStatus(xcb_connection_t *connection)
{
    xcb_grab_keyboard_reply_t *reply = xcb_grab_keyboard_reply(
        connection,
        xcb_grab_keyboard(connection, 0, firstScreen(connection)->root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                          XCB_GRAB_MODE_ASYNC),
        nullptr);
    const int status = reply ? reply->status : -1;
    free(reply);
    return status;
}

int grabPointer(xcb_connection_t *connection)
{
    const int status = grabPointerStatus(connection);
    std::printf("grabbed %d\n", status);
    std::fflush(stdout);
    if (status != XCB_GRAB_STATUS_SUCCESS)
        return 1;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "release") {
            xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
            free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
            std::puts("released");
            std::fflush(stdout);
        }
    }
    return 0;
}

int probe(xcb_connection_t *connection)
{
    const int pointer = grabPointerStatus(connection);
    const int keyboard = grabKeyboardStatus(connection);
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::printf("pointer %d keyboard %d\n", pointer, keyboard);
    return 0;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    free(reply);
    return value;
}

int closeWindow(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, "_NET_CLOSE_WINDOW");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2;  // a pager or taskbar asks
    xcb_send_event(connection, 0, firstScreen(connection)->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::puts("asked");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("no X display\n", stderr);
        return 1;
    }
    const std::string mode = argv[1];
    int status = 2;
    if (mode == "paint")
        status = paint(connection);
    else if (mode == "grab-pointer")
        status = grabPointer(connection);
    else if (mode == "probe")
        status = probe(connection);
    else if (mode == "close" && argc == 3)
        status = closeWindow(connection, xcb_window_t(std::strtoul(argv[2], nullptr, 0)));
    xcb_disconnect(connection);
    return status;
}
