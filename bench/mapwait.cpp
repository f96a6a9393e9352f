// Starts a program and watches the X server for the map of its window, as a
// user sees the window appear. Prints, on CLOCK_MONOTONIC in nanoseconds:
//   exec NS       just before the program is started
//   map NS        when the server reported the first top-level window mapped
//   maxrss KIB    the program's peak resident set
// The program's own output goes to the same stdout. Waits for the program to
// end and exits with its status (2 when no window was mapped).
// Usage: mapwait PROGRAM [ARGS...]
#include <xcb/xcb.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fputs("usage: mapwait PROGRAM [ARGS...]\n", stderr);
        return 64;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("mapwait: cannot reach the X server\n", stderr);
        return 69;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Without a window manager a program's top-level windows are the root's
    // children; the selection is in place before the program starts.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t *error =
            xcb_request_check(connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask))) {
        std::fputs("mapwait: cannot watch the root window\n", stderr);
        std::free(error);
        return 69;
    }

    std::fflush(stdout);
    const long long started = monotonicNanoseconds();
    const pid_t child = fork();
    if (child < 0)
        return 71;
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        execv(argv[1], argv + 1);
        std::perror("mapwait: exec");
        _exit(127);
    }

    // Until the map, or until the program ends without one.
    long long mapped = -1;
    int status = 0;
    rusage usage{};
    bool ended = false;
    pollfd server{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (mapped < 0 && !ended) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            // Menus and tooltips (override-redirect) are not the window.
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY
                && !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect && mapped < 0)
                mapped = monotonicNanoseconds();
            std::free(event);
        }
        if (mapped >= 0 || xcb_connection_has_error(connection))
            break;
        if (wait4(child, &status, WNOHANG, &usage) == child)
            ended = true;
        else
            poll(&server, 1, 50);
    }
    xcb_disconnect(connection);
    if (!ended && wait4(child, &status, 0, &usage) < 0)
        return 71;
    std::printf("exec %lld\n", started);
    if (mapped >= 0)
        std::printf("map %lld\n", mapped);
    std::printf("maxrss %ld\n", usage.ru_maxrss);
    std::fflush(stdout);
    if (mapped < 0)
        return 2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
