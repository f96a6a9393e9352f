// The program on Wayland: under weston's headless compositor the window is
// shown (its large black swatch is on the compositor's screen) and closed
// with "おわり", pressed through the accessibility bus.
#include "xsession.h"

#include <QFileInfo>
#include <QThread>

namespace {

class TWaylandSession : public TSession
{
public:
    TWaylandSession()
    {
        m_socket = QStringLiteral("tintaro-%1").arg(QCoreApplication::applicationPid());
        m_compositor.setProcessEnvironment(TSession::environment());
        m_compositor.setStandardOutputFile(QProcess::nullDevice());
        m_compositor.setStandardErrorFile(QProcess::nullDevice());
        // --debug lets a client take screenshots; pixman renders without a GPU.
        m_compositor.start(QStringLiteral("weston"),
                           {"--backend=headless-backend.so", "--use-pixman", "--socket=" + m_socket, "--width=1280",
                            "--height=800", "--idle-time=0", "--debug"});
        m_compositor.waitForStarted(5000);
        for (int i = 0; i < 100 && !QFileInfo::exists(runtime() + '/' + m_socket); ++i)
            QThread::msleep(50);
    }
    ~TWaylandSession() override { stop(m_compositor); }

    bool isReady() const override
    {
        return TSession::isReady() && m_compositor.state() == QProcess::Running
               && QFileInfo::exists(runtime() + '/' + m_socket);
    }

    QProcessEnvironment environment() const override
    {
        QProcessEnvironment env = TSession::environment();
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        return env;
    }

    /// The compositor's screen, through weston-screenshooter.
    QImage screenshot() const
    {
        const QDir folder(runtime());
        for (const QString &old : folder.entryList({"wayland-screenshot-*.png"}))
            QFile::remove(folder.filePath(old));
        run(QStringLiteral("weston-screenshooter"), {});
        const QStringList shots = folder.entryList({"wayland-screenshot-*.png"});
        return shots.isEmpty() ? QImage() : QImage(folder.filePath(shots.first()));
    }

private:
    QProcess m_compositor;
    QString m_socket;
};

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
