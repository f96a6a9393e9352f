// Under XWayland an X11 grab neither follows the pointer over Wayland
// windows nor reads their pixels, so the picker asks the desktop portal
// there, as on Wayland. weston runs headless with its XWayland, and the
// picker is an X11 client of that server; nothing in the environment says
// that the server is XWayland.
#include "screenpicker.h"
#include "xsession.h"

#include <QApplication>
#include <QRegularExpression>
#include <QSignalSpy>

class TXWaylandSession : public TSession
{
public:
    TXWaylandSession()
    {
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        m_compositor.setProcessEnvironment(env);
        m_compositor.setProcessChannelMode(QProcess::MergedChannels);
        m_compositor.start(QStringLiteral("weston"), {"--backend=headless-backend.so", "--use-pixman",
                                                      "--socket=tintaro-xwayland", "--xwayland", "--idle-time=0"});
        if (!m_compositor.waitForStarted(5000))
            return;
        // weston takes a free X display and says which in its log.
        const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
        QByteArray log;
        while (m_display.isEmpty() && m_compositor.waitForReadyRead(10000)) {
            log += m_compositor.readAll();
            m_display = listening.match(QString::fromLocal8Bit(log)).captured(1);
        }
    }
    ~TXWaylandSession() override { stop(m_compositor); }

    bool isReady() const override { return TSession::isReady() && !m_display.isEmpty(); }
    QString display() const { return m_display; }

private:
    QProcess m_compositor;
    QString m_display;
};

class tst_XWayland : public QObject
{
    Q_OBJECT

private slots:
    void usesThePortal();
};

void tst_XWayland::usesThePortal()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    // The grab itself would be granted by XWayland...
    TScreenPicker grab(TScreenPicker::Method::PointerGrab);
    QVERIFY(grab.isAvailable());
    // ... but the picker chooses the portal, which is not on this bus.
    TScreenPicker picker;
    QVERIFY(!picker.isAvailable());
    QSignalSpy changed(&picker, &TScreenPicker::availabilityChanged);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 15000);
    QVERIFY(!picker.isAvailable());
    QVERIFY2(picker.unavailableReason().contains(QStringLiteral("ポータル")), qPrintable(picker.unavailableReason()));
}

int main(int argc, char **argv)
{
    TXWaylandSession session;
    if (!session.isReady()) {
        std::fputs("weston with XWayland or the session bus did not start\n", stderr);
        return 1;
    }
    session.enter();
    // An X11 client of weston's XWayland, not a Wayland client of weston.
    qputenv("DISPLAY", session.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    tst_XWayland test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_xwayland.moc"
