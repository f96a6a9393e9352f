// The screencopy pick timed from its start (the chooser's button) until the
// compositor has drawn the frozen overlay on every output, in a Wayland
// session that bench/run.py starts (sway, headless). Prints one line
// "overlay-shown MS" for each of the picks asked for, each cancelled once
// shown, then "rss-peak KIB".
#include "screencopypick.h"
#include "screenpicker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>

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
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                std::printf("rss-peak %s\n", line.mid(6).trimmed().split(' ').first().constData());
    return 0;
}
