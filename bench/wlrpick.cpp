// The screencopy pick timed from its start (the chooser's button) until the
// compositor has drawn the frozen overlay on every output, in a Wayland
// session that bench/run.py starts (sway, headless). Prints one line
// "overlay-shown MS" for each of the picks asked for, each cancelled once
// shown, then "rss-peak KIB". The memory of the last pick while its
// overlay is up, against the process before its first pick: "frames-kib"
// (the outputs' pixels, 4 bytes each), "pick-shared-kib" (the pick's shared
// buffers mapped), "pick-anon-kib" (the growth of private memory), and
// "after-shared-kib" (the pick's buffers still mapped once it has ended).
#include "screencopypick.h"
#include "screenpicker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// The size of the pick's shared buffers mapped into the process.
qint64 pickSharedKib()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    qint64 bytes = 0;
    if (maps.open(QIODevice::ReadOnly))
        for (const QByteArray &line : maps.readAll().split('\n'))
            if (line.contains("memfd:tintaro-pick")) {
                const QList<QByteArray> range = line.split(' ').first().split('-');
                bytes += range[1].toLongLong(nullptr, 16) - range[0].toLongLong(nullptr, 16);
            }
    return bytes / 1024;
}

qint64 statusKib(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith(field))
                return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int picks = argc > 1 ? std::atoi(argv[1]) : 4;
    TScreenPicker picker;
    QEventLoop wait;
    QTimer::singleShot(10000, &wait, &QEventLoop::quit);
    QObject::connect(&picker, &TScreenPicker::availabilityChanged, &wait, &QEventLoop::quit);
    if (!picker.isAvailable())
        wait.exec();
    auto *backend = picker.findChild<TScreencopyPick *>();
    if (!picker.isAvailable() || !backend) {
        std::fputs("no screencopy pick here\n", stderr);
        return 1;
    }
    const qint64 anonBefore = statusKib("RssAnon:");
    qint64 frames = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QSize pixels = screen->size() * screen->devicePixelRatio();
        frames += qint64(pixels.width()) * pixels.height() * 4;
    }
    for (int i = 0; i < picks; ++i) {
        QEventLoop shown;
        bool drawn = false;
        const auto connection = QObject::connect(backend, &TScreencopyPick::overlayShown, &shown, [&] {
            drawn = true;
            shown.quit();
        });
        QTimer::singleShot(10000, &shown, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        picker.start(nullptr);
        shown.exec();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (i == picks - 1)
            std::printf("frames-kib %lld\npick-shared-kib %lld\npick-anon-kib %lld\n", frames / 1024,
                        pickSharedKib(), statusKib("RssAnon:") - anonBefore);
        QObject::disconnect(connection);
        picker.cancel();
        if (!drawn) {
            std::fputs("the overlay was not shown\n", stderr);
            return 1;
        }
        std::printf("overlay-shown %.1f\n", ms);
        // The compositor takes the overlay down before the next pick.
        QEventLoop settle;
        QTimer::singleShot(200, &settle, &QEventLoop::quit);
        settle.exec();
    }
    std::printf("after-shared-kib %lld\n", pickSharedKib());
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                std::printf("rss-peak %s\n", line.mid(6).trimmed().split(' ').first().constData());
    return 0;
}
