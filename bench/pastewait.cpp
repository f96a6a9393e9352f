// How long the chooser's palette makes its events wait while it pastes a
// huge clipboard: another X client (xclip) holds a text of the given size,
// the palette's paste is started, and a zero timer counts the gaps between
// its turns until the result is shown. Prints, per paste, the time the
// paste call itself took, the longest gap, and the time to the result.
// Usage: pastewait MEGABYTES [PASTES]   (under an X server; xclip installed)
#include "palettepanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int pastes = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    // A style sheet's block, over and over: colours on every line.
    const QByteArray block = ".card { color: #1a2b3c; background: oklch(0.7 0.1 200); border: 1px solid navy; }\n"
                             "/* the red team's accent: #ff0000 */ .note::before { content: \"red\"; }\n";
    QByteArray text = block.repeated(int(megabytes * 1024 * 1024 / block.size()));
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"});
    if (!xclip.waitForStarted()) {
        std::fprintf(stderr, "pastewait: xclip did not start\n");
        return 1;
    }
    xclip.write(text);
    xclip.closeWriteChannel();
    xclip.waitForFinished(60000);
    text.clear();
    QThread::msleep(200);

    QWidget window;
    auto *panel = new TPalettePanel(&window);
    window.show();
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start(0);
    for (int i = 0; i < pastes; ++i) {
        QTimer::singleShot(100, [] {});
        while (clock.elapsed() < 300 * (i + 1))
            app.processEvents(QEventLoop::AllEvents, 10);
        longest = 0;
        const qint64 start = clock.nsecsElapsed();
        last = start;
        panel->paste();
        const qint64 called = clock.nsecsElapsed();
        while (panel->isReading())
            app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        const qint64 done = clock.nsecsElapsed();
        std::printf("paste-call %.1f\nlongest-wait %.1f\nresult %.1f\n", (called - start) / 1e6,
                    std::max(longest, called - start) / 1e6, (done - start) / 1e6);
        std::printf("said %s\n", qPrintable(panel->message()->text()));
    }
    return 0;
}
