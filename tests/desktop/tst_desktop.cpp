// The real program in a real X window: where the window stands, what the
// swatches show on screen after keys and clicks, the chooser, a clean exit
// with nothing printed, and no settings file left behind; Qt's own options
// ignored; a start without any display; the chooser's frame under a real
// window manager.
#include "xsession.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

namespace {

constexpr int WindowLeft = 123;
constexpr int WindowTop = 95;

// Screen points of the designed controls (no window manager: no frame).
QPoint onScreen(int x, int y) { return {WindowLeft + x, WindowTop + y}; }
const QPoint Panel1Centre = onScreen(416 + 176, 24 + 168);
const QPoint Panel2Centre = onScreen(96 + 40, 104 + 20);
const QPoint Panel3Centre = onScreen(96 + 40, 160 + 20);
const QPoint Button1Centre = onScreen(96 + 37, 24 + 12);
const QPoint Button3Centre = onScreen(240 + 37, 24 + 12);

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class tst_Desktop : public QObject
{
    Q_OBJECT

private slots:
    void session();
    void chooserUnderWindowManager();
    void qtOptionsChangeNothing_data();
    void qtOptionsChangeNothing();
    void noDisplay_data();
    void noDisplay();

private:
    void click(const TXSession &x, QPoint at)
    {
        x.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    QColor pixel(const TXSession &x, QPoint at) { return x.screenshot().pixelColor(at); }

    /// The numbers of an X property as xprop prints them ("= 1, 1, 20, 1").
    QList<long> numbers(const TXSession &x, const QString &window, const char *property)
    {
        QList<long> values;
        const QString text = x.run(QStringLiteral("xprop"), {"-id", window, QLatin1String(property)});
        for (const QString &part : text.section(QLatin1Char('='), 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
            values << part.trimmed().toLong(nullptr, 0);
        return values;
    }

    /// The inner rectangle of a window on the screen, as xwininfo reports it.
    QRect inner(const TXSession &x, const QString &window)
    {
        const QString info = x.run(QStringLiteral("xwininfo"), {"-id", window});
        const auto field = [&info](const char *name) {
            const QRegularExpression pattern(QLatin1String(name) + QStringLiteral(":\\s+(-?\\d+)"));
            return pattern.match(info).captured(1).toInt();
        };
        return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
    }
};

void tst_Desktop::session()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");

    QProcess program;
    program.setProcessEnvironment(x.environment());
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    const QString geometry = x.xdotool({"getwindowgeometry", window});
    QVERIFY2(geometry.contains(QStringLiteral("Position: 123,95")), qPrintable(geometry));
    QVERIFY2(geometry.contains(QStringLiteral("Geometry: 811x565")), qPrintable(geometry));

    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(Qt::black));
    QCOMPARE(pixel(x, Panel2Centre), QColor(Qt::black));
    // A panel's work area, smaller than the 1280 x 800 monitor (set while
    // the program is connected: the server forgets it when its last client
    // leaves). The chooser stands on the whole monitor all the same.
    x.run(QStringLiteral("xprop"), {"-root", "-f", "_NET_WORKAREA", "32cccc", "-set", "_NET_WORKAREA", "100, 60, 1180, 740"});
    QVERIFY(x.run(QStringLiteral("xprop"), {"-root", "_NET_WORKAREA"}).contains(QStringLiteral("100, 60, 1180, 740")));

    // The red slider has the focus: End mixes pure red.
    x.xdotool({"windowfocus", "--sync", window});
    x.xdotool({"key", "End"});
    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(255, 0, 0));
    QCOMPARE(pixel(x, Panel2Centre), QColor(255, 0, 0));

    // The chooser: green 128 typed, added to the custom colours, OK.
    click(x, Button3Centre);
    const QString chooser = x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    QVERIFY2(!chooser.isEmpty(), "the chooser did not open");
    const QRect placed = inner(x, chooser);  // no window manager: no frame
    QCOMPARE(placed.topLeft(), QPoint((1280 - placed.width()) / 2, (800 - placed.height()) / 3));
    x.xdotool({"windowfocus", "--sync", chooser});
    x.xdotool({"key", "alt+g"});
    x.xdotool({"type", "128"});
    x.xdotool({"key", "alt+a", "Return"});
    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(0, 128, 0));
    QCOMPARE(pixel(x, Panel3Centre), QColor(0, 128, 0));
    QCOMPARE(pixel(x, Panel2Centre), QColor(Qt::black));

    // Opened again and cancelled: nothing moves.
    click(x, Button3Centre);
    const QString again = x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    x.xdotool({"windowfocus", "--sync", again});
    x.xdotool({"key", "Escape"});
    QTRY_VERIFY(x.xdotool({"search", "--name", QStringLiteral("^色の設定$")}).isEmpty());
    QCOMPARE(pixel(x, Panel1Centre), QColor(0, 128, 0));

    click(x, Button1Centre);  // "おわり"
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), QString());
    QCOMPARE(filesUnder(x.home()).join(QLatin1Char(' ')), QString());
    QCOMPARE(filesUnder(x.configHome()), QStringList());
}

void tst_Desktop::chooserUnderWindowManager()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    QProcess openbox;
    QProcess program;
    program.setProcessEnvironment(x.environment());
    const auto cleanup = qScopeGuard([&] {
        stop(program);
        stop(openbox);
    });

    QVERIFY2(x.startWindowManager(openbox), "openbox did not come up");
    // The main window framed: wait for the frame before clicking in it.
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    QTRY_COMPARE_WITH_TIMEOUT(numbers(x, window, "_NET_FRAME_EXTENTS").size(), 4, 10000);
    const QRect form = inner(x, window);
    click(x, form.topLeft() + QPoint(240 + 37, 24 + 12));  // "ダイアログ"
    const QString chooser = x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    QVERIFY2(!chooser.isEmpty(), "the chooser did not open");
    QTRY_COMPARE_WITH_TIMEOUT(numbers(x, chooser, "_NET_FRAME_EXTENTS").size(), 4, 10000);
    // On X11 nothing loads the Wayland client library, not even the
    // chooser's screen picker: it costs start-up time only where it is used.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libwayland-client"));

    // The outer rectangle, frame included, centred on the 1280 x 800 screen
    // and a third of the free height down.
    const QList<long> extents = numbers(x, chooser, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
    const auto outer = [&] {
        const QRect client = inner(x, chooser);
        return client.adjusted(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
    };
    QVERIFY(extents[2] > 0);  // a title bar
    const QSize size = outer().size();
    QTRY_COMPARE(outer().topLeft(), QPoint((1280 - size.width()) / 2, (800 - size.height()) / 3));

    // No minimise or maximise asked for: Motif functions 8 and 16 and
    // decorations 32 and 64 are clear; the fixed size leaves no maximise.
    const QList<long> motif = numbers(x, chooser, "_MOTIF_WM_HINTS");  // flags, functions, decorations, ...
    QVERIFY(motif.size() >= 3);
    QCOMPARE(motif[1] & (8 | 16), 0);
    QCOMPARE(motif[2] & (32 | 64), 0);
    // openbox offers what the window functions allow, whatever is drawn.
    const QString actions = x.run(QStringLiteral("xprop"), {"-id", chooser, "_NET_WM_ALLOWED_ACTIONS"});
    QVERIFY2(actions.contains(QStringLiteral("_NET_WM_ACTION_MOVE")), qPrintable(actions));
    QVERIFY2(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE")), qPrintable(actions));
    for (const char *action : {"MINIMIZE", "MAXIMIZE", "FULLSCREEN"})
        QVERIFY2(!actions.contains(QLatin1String(action)), qPrintable(actions));
    // Asked to minimise all the same, the chooser stays, and so does the program.
    x.xdotool({"windowminimize", chooser});
    const auto shown = [&x](const QString &id) {
        return x.run(QStringLiteral("xprop"), {"-id", id, "WM_STATE"}).contains(QStringLiteral("Normal"));
    };
    QTRY_VERIFY(shown(chooser));
    QTRY_VERIFY(shown(window));
    QCOMPARE(outer().size(), size);

    // Placed once: the window manager moves it, and it stays there. (Gravity
    // 1, north-west: the frame's corner goes to 100, 50, whatever gravity
    // the window has.)
    x.run(QStringLiteral("wmctrl"), {"-i", "-r", chooser, "-e", "1,100,50,-1,-1"});
    QTRY_COMPARE(outer().topLeft(), QPoint(100, 50));
    QTest::qWait(3000);
    QCOMPARE(outer().topLeft(), QPoint(100, 50));
    // Dragged by its title bar, as a user moves it.
    const QPoint title = outer().topLeft() + QPoint(size.width() / 2, int(extents[2]) / 2);
    x.xdotool({"mousemove", QString::number(title.x()), QString::number(title.y()), "mousedown", "1"});
    for (int step = 1; step <= 4; ++step)
        x.xdotool({"mousemove", QString::number(title.x() + 50 * step), QString::number(title.y() + 25 * step)});
    x.xdotool({"mouseup", "1"});
    QTRY_COMPARE(outer().topLeft(), QPoint(300, 150));
    QTest::qWait(3000);
    QCOMPARE(outer().topLeft(), QPoint(300, 150));
    QCOMPARE(outer().size(), size);

    x.xdotool({"windowfocus", "--sync", chooser});
    x.xdotool({"key", "Escape"});
    const auto closed = [&x] {
        return x.xdotool({"search", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).isEmpty();
    };
    QTRY_VERIFY(closed());
}

void tst_Desktop::qtOptionsChangeNothing_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("-reverse") << QStringList{"-reverse"};
    QTest::newRow("-qwindowgeometry") << QStringList{"-qwindowgeometry", "100x100+0+0"};
    QTest::newRow("-style") << QStringList{"-style", "Windows"};
    QTest::newRow("-platform") << QStringList{"-platform", "offscreen"};
}

// The window as it first shows, started with the options and without them:
// the same place, the same size, the same pixels (0 at the left of every
// slider, the list aligned to the left).
void tst_Desktop::qtOptionsChangeNothing()
{
    QFETCH(QStringList, options);
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    const auto firstShown = [&](const QStringList &arguments) {
        QProcess program;
        program.setProcessEnvironment(x.environment());
        program.start(QStringLiteral(TINTARO_EXE), arguments);
        program.waitForStarted(5000);
        const QString window =
            x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}, 30000).section('\n', 0, 0);
        const QString geometry = window.isEmpty() ? QString() : x.xdotool({"getwindowgeometry", window});
        const bool painted = QTest::qWaitFor([&] { return pixel(x, Panel1Centre) == QColor(Qt::black); }, 30000);
        const QImage shot = x.screenshot().copy(WindowLeft, WindowTop, 811, 565);
        stop(program);
        return std::make_pair(painted ? geometry : QString(), shot);
    };
    const auto plain = firstShown({});
    const auto given = firstShown(options);
    QVERIFY2(given.first.contains(QStringLiteral("Position: 123,95")), qPrintable(given.first));
    QVERIFY2(given.first.contains(QStringLiteral("Geometry: 811x565")), qPrintable(given.first));
    QVERIFY(!plain.second.isNull());
    QVERIFY(given.second == plain.second);
}

void tst_Desktop::noDisplay_data()
{
    QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM; empty: not set
    QTest::addColumn<QString>("message");   // a pattern of the whole of what is printed
    QTest::newRow("no display") << QString()
                                << QRegularExpression::escape(QStringLiteral(
                                       "tintaro: X11 のディスプレイにも Wayland のコンポジターにも接続できません"
                                       " (no X11 display or Wayland compositor could be reached)\n"));
    QTest::newRow("xcb without a display") << "xcb"
                                           << QRegularExpression::escape(QStringLiteral(
                                                  "tintaro: X11 のディスプレイにも Wayland のコンポジターにも接続できません"
                                                  " (no X11 display or Wayland compositor could be reached)\n"));
    // The installed plugins as Qt lists them, xcb among them.
    QTest::newRow("an unknown plugin") << "bogus"
                                       << QStringLiteral("tintaro: Qt のプラットフォームプラグイン \"bogus\" はありません"
                                                         " \\(unknown Qt platform plugin \"bogus\"; available: [^\n]*\\bxcb\\b[^\n]*\\)\n");
}

// No X11 display and no Wayland compositor, or no such platform plugin: one
// line in Japanese and English, status 1, no abort and so no core file,
// although cores are enabled and would land in the working folder.
void tst_Desktop::noDisplay()
{
    QFETCH(QString, platform);
    QFETCH(QString, message);
    QFile pattern(QStringLiteral("/proc/sys/kernel/core_pattern"));
    QVERIFY(pattern.open(QIODevice::ReadOnly));
    const QByteArray corePattern = pattern.readAll().trimmed();
    QTemporaryDir folder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    // Without this the sanitizer turns core files off itself.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("disable_coredump=0:detect_leaks=0"));
    const auto run = [&](const QString &command, const QString &where) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(where);
        process.start(QStringLiteral("/bin/sh"), {"-c", "ulimit -c unlimited && " + command, TINTARO_EXE});
        process.waitForFinished(30000);
        return std::make_tuple(process.exitStatus(), process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
                               QString::fromUtf8(process.readAllStandardOutput()));
    };

    const bool coresHere = !corePattern.startsWith('|') && !corePattern.contains('/');
    if (coresHere) {
        // A shell that aborts itself leaves its core file where the program would.
        QTemporaryDir control;
        run(QStringLiteral("kill -ABRT $$"), control.path());
        QVERIFY2(!QDir(control.path()).isEmpty(), corePattern.constData());
    }
    const auto [status, code, errors, output] = run(QStringLiteral("exec \"$0\""), folder.path());
    QCOMPARE(status, QProcess::NormalExit);
    QCOMPARE(code, 1);
    QVERIFY2(QRegularExpression(QLatin1Char('^') + message + QLatin1Char('$')).match(errors).hasMatch(),
             qPrintable(errors));
    QCOMPARE(output, QString());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    if (!coresHere)
        qInfo("core_pattern %s puts no core file in the working folder: the exit status shows there was no abort",
              corePattern.constData());
}

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_desktop.moc"
