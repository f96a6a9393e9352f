// The program on Wayland: under weston's headless compositor the window is
// shown (its large black swatch is on the compositor's screen) and closed
// with "おわり", pressed through the accessibility bus.
#include "xsession.h"

namespace {

// The longest run of black pixels in any row: the large swatch is 353 wide.
int longestBlackRun(const QImage &image)
{
    int longest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = image.pixelColor(x, y) == QColor(Qt::black) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

} // namespace

class tst_Wayland : public QObject
{
    Q_OBJECT

private slots:
    void showsAndCloses();
};

void tst_Wayland::showsAndCloses()
{
    TWaylandSession wayland;
    QVERIFY2(wayland.isReady(), "weston or the session bus did not start");
    // The shell's background first: nothing like the swatch is on screen.
    QTRY_VERIFY_WITH_TIMEOUT(!wayland.screenshot().isNull() && longestBlackRun(wayland.screenshot()) < 340, 15000);

    QProcessEnvironment env = wayland.environment();
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    // In the sanitized build: libwayland-client and a library the Wayland
    // plugin loads and unloads leak at exit, and a leak from an unloaded
    // library cannot be named in a suppression list. The other tests check
    // the program's own code for leaks.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(longestBlackRun(wayland.screenshot()) >= 345, 15000);

    const QString pressed = wayland.run(QStringLiteral("/usr/bin/python3"),
                                        {QStringLiteral(TINTARO_SOURCE_DIR "/atspi_press.py"), QStringLiteral("おわり")},
                                        30000);
    QCOMPARE(pressed, QStringLiteral("pressed おわり"));
    QVERIFY(program.waitForFinished(10000));
    const QString printed = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0, qPrintable(printed));
    QCOMPARE(printed, QString());
}

QTEST_GUILESS_MAIN(tst_Wayland)
#include "tst_wayland.moc"
