// Picks on X11 with the program's own chooser, its "スポイト(P)" pressed,
// under the X server that DISPLAY names. A second X connection, on a
// thread of its own, watches every root for windows being mapped and moves
// the pointer, as a user's hand does; the loupe counts as shown when the
// server reports it mapped. Each pick is then cancelled.
// Prints, one line each:
//   map SCREEN PICKS   the pointer in the middle of X screen SCREEN, PICKS
//                      picks in a row: "loupe-map MS" for each, from the
//                      pick's start to the loupe mapped
//   onto PICKS         picks started on X screen 0, the pointer then moved
//                      to the middle of X screen 1: "onto-map MS" for each,
//                      from the move to the loupe mapped there
//   memory PICKS       "rss-idle KIB" before the first pick, "rss-after N
//                      KIB" once pick N has ended (the pointer moved over
//                      the screen during each), "rss-peak KIB" at the end
// Usage: pickloupe MODE ARGS...
#include "application.h"
#include "chooserrequest.h"
#include "colorchooser.h"
#include "screenpicker.h"

#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

long long monotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class TMapWatch
{
public:
    TMapWatch()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        // Without a window manager every top-level window, the loupe too, is
        // a child of its root.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem; xcb_screen_next(&it)) {
            m_screens.push_back(*it.data);
            xcb_change_window_attributes(m_connection, it.data->root, XCB_CW_EVENT_MASK, &mask);
        }
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_reader = std::thread([this] { read(); });
    }
    ~TMapWatch()
    {
        m_stop = true;
        if (m_reader.joinable())
            m_reader.join();
        xcb_disconnect(m_connection);
    }
    TMapWatch(const TMapWatch &) = delete;
    TMapWatch &operator=(const TMapWatch &) = delete;

    bool isReady() const { return m_reader.joinable(); }
    int screenCount() const { return int(m_screens.size()); }

    /// When `window` was last reported mapped on `screen`'s root, not before `since`.
    std::optional<long long> mapped(xcb_window_t window, int screen, long long since)
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_maps.rbegin(); it != m_maps.rend(); ++it)
            if (it->window == window && it->root == m_screens.at(size_t(screen)).root && it->at >= since)
                return it->at;
        return std::nullopt;
    }

    /// Moves the pointer to (x, y) on `screen` and returns when the server has
    /// done so; the time just before the move.
    long long movePointer(int screen, int x, int y)
    {
        const long long at = monotonicNanoseconds();
        xcb_warp_pointer(m_connection, XCB_NONE, m_screens.at(size_t(screen)).root, 0, 0, 0, 0, int16_t(x),
                         int16_t(y));
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return at;
    }

    QSize screenSize(int screen) const
    {
        return QSize(m_screens.at(size_t(screen)).width_in_pixels, m_screens.at(size_t(screen)).height_in_pixels);
    }

private:
    struct TMap
    {
        xcb_window_t window;
        xcb_window_t root;
        long long at;
    };

    void read()
    {
        pollfd server{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (!m_stop && !xcb_connection_has_error(m_connection)) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                    const std::lock_guard<std::mutex> lock(m_lock);
                    m_maps.push_back({map->window, map->event, monotonicNanoseconds()});
                }
                std::free(event);
            }
            poll(&server, 1, 20);
        }
    }

    xcb_connection_t *m_connection;
    std::vector<xcb_screen_t> m_screens;
    std::thread m_reader;
    std::atomic<bool> m_stop = false;
    std::mutex m_lock;
    std::vector<TMap> m_maps;
};

/// Runs the event loop until `done` is true, or for at most ten seconds.
bool waitFor(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer check;
    check.callOnTimeout(&loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });
    return loop.exec() == 0;
}

/// When the shown loupe was mapped on `screen`, not before `since`.
std::optional<long long> loupeMapped(TMapWatch &watch, int screen, long long since)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("screenPickerLoupe") && widget->isVisible())
            return watch.mapped(xcb_window_t(widget->winId()), screen, since);
    return std::nullopt;
}

long long residentKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

void endPick(TScreenPicker &picker)
{
    picker.cancel();
    // The grab window goes once the event loop runs.
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fputs("usage: pickloupe map SCREEN PICKS | onto PICKS | memory PICKS\n", stderr);
        return 64;
    }
    TApplication application(argc, argv);
    TMapWatch watch;
    if (!watch.isReady()) {
        std::fputs("pickloupe: cannot watch the X server\n", stderr);
        return 69;
    }
    const QByteArray mode = argv[1];
    const int screen = mode == "map" ? std::atoi(argv[2]) : 0;
    const int picks = std::atoi(argv[mode == "map" ? 3 : 2]);
    if (screen >= watch.screenCount() || (mode == "onto" && watch.screenCount() < 2)) {
        std::fputs("pickloupe: the X server has too few screens\n", stderr);
        return 64;
    }
    TChooseColorRequest request;
    request.flags = TChooseColorRequest::RgbInit | TChooseColorRequest::FullOpen;
    TColorChooser chooser(request);
    chooser.show();
    auto *button = chooser.findChild<QPushButton *>(QStringLiteral("pickFromScreen"));
    auto *picker = chooser.findChild<TScreenPicker *>();
    if (!button || !picker
        || !waitFor([&] { return chooser.windowHandle()->isExposed() && button->isEnabled(); })) {
        std::fputs("pickloupe: the chooser cannot pick here\n", stderr);
        return 69;
    }
    if (mode == "memory")
        std::printf("rss-idle %lld\n", residentKiB("VmRSS:"));
    const QSize size = watch.screenSize(screen);
    for (int pick = 1; pick <= picks; ++pick) {
        watch.movePointer(screen, size.width() / 2, size.height() / 2);
        const long long started = monotonicNanoseconds();
        button->click();
        std::optional<long long> mapped;
        if (!waitFor([&] { return (mapped = loupeMapped(watch, screen, started)).has_value(); })) {
            std::fputs("pickloupe: the loupe was not mapped\n", stderr);
            return 70;
        }
        if (mode == "map") {
            std::printf("loupe-map %.1f\n", double(*mapped - started) / 1e6);
        } else if (mode == "onto") {
            const QSize second = watch.screenSize(1);
            const long long moved = watch.movePointer(1, second.width() / 2, second.height() / 2);
            if (!waitFor([&] { return (mapped = loupeMapped(watch, 1, moved)).has_value(); })) {
                std::fputs("pickloupe: the loupe was not mapped on screen 1\n", stderr);
                return 70;
            }
            std::printf("onto-map %.1f\n", double(*mapped - moved) / 1e6);
        } else {
            // Over the screen in steps, each shown in the loupe before the next.
            for (int step = 1; step <= 8; ++step) {
                watch.movePointer(screen, size.width() * step / 9, size.height() * (9 - step) / 9);
                QEventLoop shown;
                QTimer::singleShot(20, &shown, &QEventLoop::quit);
                shown.exec();
            }
        }
        endPick(*picker);
        if (mode == "memory")
            std::printf("rss-after %d %lld\n", pick, residentKiB("VmRSS:"));
        std::fflush(stdout);
    }
    if (mode == "memory")
        std::printf("rss-peak %lld\n", residentKiB("VmHWM:"));
    return 0;
}
