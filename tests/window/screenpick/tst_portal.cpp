// Picking through the desktop portal that a Wayland desktop really runs: the
// picker, in process, is a Wayland client of a headless weston, and asks
// Debian's xdg-desktop-portal, which hands the pick to xdg-desktop-portal-gnome,
// both started on demand by a private bus. Only gnome-shell's side, the
// org.gnome.Shell.Screenshot interface that the GNOME backend calls, is stood
// in by python3-dbusmock, told per case how to answer.
#include "colorchooser.h"
#include "screenpicker.h"
#include "xsession.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <csignal>

namespace {

const QString Portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString Shell = QStringLiteral("org.gnome.Shell.Screenshot");
const QString ShellPath = QStringLiteral("/org/gnome/Shell/Screenshot");

/// The desktop as GNOME on Wayland has it, but for the shell: the portals
/// are started by the bus on demand, in an environment that names GNOME and
/// the compositor, and the frontend reads only our list of backends.
class TPortalSession : public TWaylandSession
{
public:
    TPortalSession()
    {
        const QString portals = runtime() + QStringLiteral("/portals");
        QDir().mkpath(portals);
        // The frontend offers Screenshot only beside an Access backend,
        // which GNOME has in the shell; a pick of a colour never asks it.
        writePortal(portals + QStringLiteral("/gnome.portal"), "org.freedesktop.impl.portal.desktop.gnome",
                    "org.freedesktop.impl.portal.Screenshot");
        writePortal(portals + QStringLiteral("/gnome-shell.portal"), "org.gnome.Shell.Portal",
                    "org.freedesktop.impl.portal.Access");
        addService(QStringLiteral("org.freedesktop.impl.portal.desktop.gnome"),
                   QStringLiteral("/usr/libexec/xdg-desktop-portal-gnome --verbose"));

        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
        env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"), portals);
        env.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));  // GTK's display: the compositor
        env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        env.insert(QStringLiteral("GTK_A11Y"), QStringLiteral("none"));
        QProcess update;
        update.setProcessEnvironment(env);
        update.start(QStringLiteral("dbus-update-activation-environment"),
                     {"XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP",
                      "XDG_DESKTOP_PORTAL_DIR", "GDK_BACKEND", "GSETTINGS_BACKEND", "GTK_A11Y"});
        m_activation = update.waitForFinished(10000) && update.exitCode() == 0;
    }

    bool isReady() const override { return TWaylandSession::isReady() && m_activation; }

    /// Lets the bus start the portal's frontend on demand, as a desktop
    /// session whose portal is installed does.
    void installPortal() const
    {
        addService(Portal, QStringLiteral("/usr/libexec/xdg-desktop-portal --verbose"));
    }

private:
    static void writePortal(const QString &path, const char *name, const char *interfaces)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray("[portal]\nDBusName=") + name + "\nInterfaces=" + interfaces + ";\nUseIn=gnome\n");
    }

    bool m_activation = false;
};

TColor rgb(int red, int green, int blue)
{
    return MakeColor(red, green, blue);
}

} // namespace

class tst_Portal : public QObject
{
    Q_OBJECT

public:
    explicit tst_Portal(const TPortalSession &session)
        : m_session(session)
    {
    }

public slots:
    // The stand-in shell was called; a bus signal reaches only a slot.
    void shellCalled(const QString &method) { m_shellCalls.append(method); }

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void coldPortal();
    void picks_data();
    void picks();
    void shellFails();
    void spoofedResponse();
    void portalVanishes();
    void escapeInTheChooser();

private:
    bool shellAnswers(const QString &code);
    bool startShell();
    static QString colorCode(const QString &red, const QString &green, const QString &blue)
    {
        // Doubles, as gnome-shell sends: the backend takes nothing else.
        return QStringLiteral("ret = {'color': dbus.Struct((float(%1), float(%2), float(%3)), signature='ddd')}")
            .arg(red, green, blue);
    }
    void dumpLog() const;

    const TPortalSession &m_session;
    QProcess m_shell;
    QWidget m_window;
    QStringList m_shellCalls;
};

bool tst_Portal::startShell()
{
    m_shell.setProcessEnvironment(m_session.environment());
    m_shell.setStandardOutputFile(QProcess::nullDevice());
    m_shell.setStandardErrorFile(m_session.runtime() + QStringLiteral("/shell.log"));
    m_shell.start(QStringLiteral("/usr/bin/python3"), {"-m", "dbusmock", Shell, ShellPath, Shell});
    if (!m_shell.waitForStarted(5000))
        return false;
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    for (int i = 0; i < 200 && !bus->isServiceRegistered(Shell); ++i)
        QTest::qWait(50);
    return bus->isServiceRegistered(Shell);
}

/// Tells the stand-in shell how to answer PickColor from now on: Python run
/// by dbusmock, which sets `ret` to the a{sv} gnome-shell returns, or raises.
bool tst_Portal::shellAnswers(const QString &code)
{
    QDBusMessage add = QDBusMessage::createMethodCall(Shell, ShellPath, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                      QStringLiteral("AddMethod"));
    add << Shell << QStringLiteral("PickColor") << QString() << QStringLiteral("a{sv}") << code;
    return QDBusConnection::sessionBus().call(add, QDBus::Block, 30000).type() == QDBusMessage::ReplyMessage;
}

void tst_Portal::dumpLog() const
{
    QFile log(m_session.busLog());
    if (log.open(QIODevice::ReadOnly))
        qInfo().noquote() << "The bus and the portals said:\n" << log.readAll();
}

void tst_Portal::initTestCase()
{
    // make deps installs them; a build without the desktop's packages has
    // the stand-in's tests only.
    for (const char *needed : {"/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-gnome",
                               "/usr/lib/python3/dist-packages/dbusmock"})
        if (!QFileInfo::exists(QLatin1String(needed)))
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(needed))));
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("wayland"), "not a client of the private weston");
    QVERIFY2(startShell(), "the stand-in shell did not start");
    QVERIFY(shellAnswers(colorCode("0.2", "0.4", "0.6")));
    QVERIFY(QDBusConnection::sessionBus().connect(Shell, ShellPath, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                  QStringLiteral("MethodCalled"), this,
                                                  SLOT(shellCalled(QString))));
    m_window.setWindowTitle(QStringLiteral("picking"));
    m_window.resize(200, 100);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void tst_Portal::cleanup()
{
    if (QTest::currentTestFailed())
        dumpLog();
    m_shellCalls.clear();
}

void tst_Portal::cleanupTestCase()
{
    stop(m_shell);
    // The portals leave with the bus, when the session ends.
}

// A desktop whose portal starts only after the picker was made: picking
// becomes possible as soon as the portal is there.
void tst_Portal::coldPortal()
{
    TScreenPicker picker;
    QSignalSpy changed(&picker, &TScreenPicker::availabilityChanged);
    // On Wayland the compositor is asked first, and the portal only where
    // it offers no screencopy: the portal's "asking" may come in between.
    QTRY_COMPARE_WITH_TIMEOUT(picker.unavailableReason(),
                              QStringLiteral("デスクトップのポータルがないため、画面から色を取れません"), 15000);
    QVERIFY(!picker.isAvailable());
    QVERIFY(changed.count() >= 1);

    m_session.installPortal();
    const QDBusReply<void> started = QDBusConnection::sessionBus().interface()->startService(Portal);
    QVERIFY2(started.isValid(), qPrintable(started.error().message()));
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    QCOMPARE(picker.unavailableReason(), QString());

    QSignalSpy picked(&picker, &TScreenPicker::picked);
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 15000);
    QCOMPARE(picked.first().first().value<TColor>(), rgb(51, 102, 153));
}

void tst_Portal::picks_data()
{
    // The components as gnome-shell sends them (Python computes the
    // doubles), and the 8-bit values they stand for: n / 255 is n; a half
    // step (n + 0.5) / 255 lies between two and is taken upwards.
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("green");
    QTest::addColumn<QString>("blue");
    QTest::addColumn<TColor>("expected");  // -1: nothing is picked
    QTest::addColumn<QString>("why");       // what the message says then
    QTest::newRow("0/255, 1/255, 2/255") << "0/255" << "1/255" << "2/255" << rgb(0, 1, 2) << QString();
    QTest::newRow("127/255, 128/255, 129/255")
        << "127/255" << "128/255" << "129/255" << rgb(127, 128, 129) << QString();
    QTest::newRow("253/255, 254/255, 255/255")
        << "253/255" << "254/255" << "255/255" << rgb(253, 254, 255) << QString();
    QTest::newRow("51/255, 102/255, 204/255") << "51/255" << "102/255" << "204/255" << rgb(51, 102, 204) << QString();
    QTest::newRow("half steps 0.5, 127.5, 254.5")
        << "0.5/255" << "127.5/255" << "254.5/255" << rgb(1, 128, 255) << QString();
    QTest::newRow("half steps 1.5, 128.5, 253.5")
        << "1.5/255" << "128.5/255" << "253.5/255" << rgb(2, 129, 254) << QString();
    // The portal and its backend pass these on as they are.
    QTest::newRow("NaN") << "'nan'" << "0" << "0" << -1 << "数でない";
    QTest::newRow("infinity") << "0" << "'inf'" << "0" << -1 << "数でない";
    QTest::newRow("above 1") << "0" << "0" << "1.5" << -1 << "範囲外";
}

void tst_Portal::picks()
{
    QFETCH(QString, red);
    QFETCH(QString, green);
    QFETCH(QString, blue);
    QFETCH(TColor, expected);
    QFETCH(QString, why);
    m_session.installPortal();
    QVERIFY(shellAnswers(colorCode(red, green, blue)));
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(picked.count() + cancelled.count(), 1, 15000);
    QCOMPARE(m_shellCalls, QStringList{"PickColor"});
    if (expected < 0) {
        QCOMPARE(picked.count(), 0);
        QVERIFY2(cancelled.first().first().toString().contains(why), qPrintable(cancelled.first().first().toString()));
        QVERIFY(picker.isAvailable());
        return;
    }
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.first().first().value<TColor>(), expected);
}

// The shell fails the pick: the portal reports a failure, nothing is
// picked, and the next pick works.
void tst_Portal::shellFails()
{
    m_session.installPortal();
    QVERIFY(shellAnswers(QStringLiteral(
        "raise dbus.exceptions.DBusException('no screen to pick from', name='org.gnome.Shell.Error')")));
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 15000);
    QCOMPARE(picked.count(), 0);
    QCOMPARE(m_shellCalls, QStringList{"PickColor"});
    // The portal offers PickColor, and says it failed: so does the message,
    // and the button stays usable.
    QCOMPARE(cancelled.first().first().toString(), QStringLiteral("デスクトップが色を取れませんでした"));
    QVERIFY(picker.isAvailable());

    QVERIFY(shellAnswers(colorCode("1", "0", "0")));
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 15000);
    QCOMPARE(picked.first().first().value<TColor>(), rgb(255, 0, 0));
    QCOMPARE(cancelled.count(), 1);
}

// While the shell takes its time, another client on the bus answers the
// pending request as if it were the portal: only the portal's answer counts.
void tst_Portal::spoofedResponse()
{
    m_session.installPortal();
    QVERIFY(shellAnswers(QStringLiteral("__import__('time').sleep(2); ") + colorCode("0.2", "0.4", "0.6")));
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    QProcess spoof;
    spoof.setProcessEnvironment(m_session.environment());
    QCOMPARE(startAndReadLine(spoof, QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral(TINTARO_SOURCE_DIR "/portal_spoof.py"), "1", "0", "0"}),
             QStringLiteral("ready"));

    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QVERIFY(spoof.waitForFinished(15000));
    QVERIFY(QString::fromLatin1(spoof.readAllStandardOutput()).startsWith(QStringLiteral("sent ")));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count() + cancelled.count(), 1, 15000);
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.first().first().value<TColor>(), rgb(51, 102, 153));
}

// The portal leaves the bus after it returned the request's handle: the
// pick ends, and the next one is answered by the portal started anew.
void tst_Portal::portalVanishes()
{
    m_session.installPortal();
    QVERIFY(shellAnswers(QStringLiteral("__import__('time').sleep(3); ") + colorCode("0.2", "0.4", "0.6")));
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(m_shellCalls, QStringList{"PickColor"}, 15000);  // the handle has been returned
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const QDBusReply<uint> pid = bus->servicePid(Portal);
    QVERIFY(pid.isValid() && pid.value() > 0);
    QCOMPARE(::kill(pid_t(pid.value()), SIGKILL), 0);
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 15000);
    QCOMPARE(picked.count(), 0);
    QCOMPARE(cancelled.first().first().toString(),
             QStringLiteral("デスクトップのポータルが終了したため、色を取れませんでした"));

    QVERIFY(shellAnswers(colorCode("0", "0", "1")));
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 15000);
    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 15000);
    QCOMPARE(picked.first().first().value<TColor>(), rgb(0, 0, 255));
}

// In the chooser, Escape ends a pick that the desktop has not answered
// yet, at once, and not the chooser; what the desktop answers afterwards
// changes nothing, and the message stays until the next action.
void tst_Portal::escapeInTheChooser()
{
    m_session.installPortal();
    QVERIFY(shellAnswers(QStringLiteral("__import__('time').sleep(2); ") + colorCode("1", "0", "0")));
    TChooseColorRequest request;
    request.flags = TChooseColorRequest::FullOpen;
    TColorChooser chooser(request);
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    auto *button = chooser.findChild<QPushButton *>("pickFromScreen");
    auto *message = chooser.findChild<QLabel *>("pickMessage");
    auto *typed = chooser.findChild<QLineEdit *>("typedColor");
    QVERIFY(button && message && typed);
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 15000);
    QCOMPARE(typed->text(), QStringLiteral("#000000"));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_shellCalls, QStringList{"PickColor"}, 15000);  // the desktop is picking
    QTest::keyClick(&chooser, Qt::Key_Escape);
    QCOMPARE(message->text(), QStringLiteral("色の取得を取り消しました"));
    QVERIFY(chooser.isVisible());
    QTest::qWait(2500);  // the shell has answered
    QCOMPARE(typed->text(), QStringLiteral("#000000"));
    QCOMPARE(message->text(), QStringLiteral("色の取得を取り消しました"));
    QVERIFY(button->isEnabled());
    chooser.reject();
}

int main(int argc, char **argv)
{
    TPortalSession session;
    if (!session.isReady()) {
        std::fputs("weston, the session bus or its activation environment did not start\n", stderr);
        return 1;
    }
    session.enter();
    QApplication app(argc, argv);
    tst_Portal test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_portal.moc"
