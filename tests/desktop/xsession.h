// Private desktop sessions for tests that need a real window system: a
// session bus, and Xvfb or a headless Wayland compositor on a display that
// nobody else uses; the program and the tools run against them.
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QFileInfo>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>

/// Starts a program and reads the first line it prints (an address or a
/// display number it chose itself).
inline QString startAndReadLine(QProcess &process, const QString &program, const QStringList &arguments,
                                const QString &errorFile = QProcess::nullDevice())
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardErrorFile(errorFile);
    process.start();
    if (!process.waitForStarted(5000))
        return QString();
    QByteArray line;
    while (!line.contains('\n') && process.waitForReadyRead(10000))
        line += process.readAllStandardOutput();
    return QString::fromLatin1(line).trimmed();
}

inline void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

class TSession
{
public:
    TSession()
    {
        // A session bus, as a desktop session has one. Without it libdbus
        // would start one of its own and leave its address under HOME. Its
        // configuration is ours: it starts on demand only the services named
        // in our own folder, never a service installed on this machine (a
        // desktop portal would take over a stand-in's name).
        QDir().mkpath(services());
        // The accessibility bus too runs on a configuration of ours, with
        // only our registry: the machine's launcher would give it the
        // machine's configuration and services.
        addService(QStringLiteral("org.a11y.Bus"),
                   QStringLiteral("/usr/bin/python3 %1/a11ybus.py %2")
                       .arg(QFileInfo(QStringLiteral(__FILE__)).absolutePath(), runtime()));
        QFile config(m_runtime.filePath(QStringLiteral("bus.conf")));
        if (config.open(QIODevice::WriteOnly))
            config.write(QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig>\n"
                "  <type>session</type>\n"
                "  <listen>unix:dir=%1</listen>\n"
                "  <auth>EXTERNAL</auth>\n"
                "  <servicedir>%2</servicedir>\n"
                "  <policy context=\"default\">\n"
                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                "    <allow eavesdrop=\"true\"/>\n"
                "    <allow own=\"*\"/>\n"
                "  </policy>\n"
                "</busconfig>\n").arg(runtime(), services()).toUtf8());
        config.close();
        m_busAddress = startAndReadLine(m_bus, QStringLiteral("dbus-daemon"),
                                        {"--config-file=" + config.fileName(), "--nofork", "--nopidfile",
                                         "--print-address=1"},
                                        busLog());
        QDir().mkpath(home());
        QDir().mkpath(configHome());
    }
    virtual ~TSession() { stop(m_bus); }
    Q_DISABLE_COPY_MOVE(TSession)

    virtual bool isReady() const { return !m_busAddress.isEmpty() && m_runtime.isValid(); }

    /// What a program started in this session sees: the bus, a private
    /// runtime folder, and HOME and XDG_CONFIG_HOME in empty folders.
    virtual QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));  // nothing into the sources
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));  // a desktop's own accessibility bus
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    QString runtime() const { return m_runtime.path(); }  // mode 0700, as the runtime folder must be
    QString home() const { return m_runtime.filePath(QStringLiteral("home")); }
    QString configHome() const { return m_runtime.filePath(QStringLiteral("config")); }
    /// What the bus and the services it started printed.
    QString busLog() const { return m_runtime.filePath(QStringLiteral("bus.log")); }
    /// The one folder of services that the bus starts on demand.
    QString services() const { return m_runtime.filePath(QStringLiteral("services")); }

    /// Lets the bus start `name` on demand by running `exec` (a command line).
    void addService(const QString &name, const QString &exec) const
    {
        QFile file(services() + QLatin1Char('/') + name + QStringLiteral(".service"));
        if (file.open(QIODevice::WriteOnly))
            file.write(QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2\n").arg(name, exec).toUtf8());
    }

    /// The configuration file of the accessibility bus on which the registry
    /// runs; empty if there is none.
    QString accessibilityBusConfig() const
    {
        const QString address = run(QStringLiteral("dbus-send"), {"--session", "--print-reply=literal",
                                    "--dest=org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus.GetAddress"});
        const auto ask = [&](const char *method, const char *name) {
            return run(QStringLiteral("dbus-send"), {"--bus=" + address, "--print-reply=literal",
                       "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                       QStringLiteral("org.freedesktop.DBus.") + method, QStringLiteral("string:") + name})
                .section(QLatin1Char(' '), -1);
        };
        if (address.isEmpty() || ask("NameHasOwner", "org.a11y.atspi.Registry") != QLatin1String("true"))
            return QString();
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(ask("GetConnectionUnixProcessID", "org.freedesktop.DBus")));
        if (!cmdline.open(QIODevice::ReadOnly))
            return QString();
        for (const QByteArray &argument : cmdline.readAll().split('\0'))
            if (argument.startsWith("--config-file="))
                return QString::fromLocal8Bit(argument.mid(14));
        return QString();
    }

    /// Makes this test process a program of the session, before its
    /// QApplication is built and while no other thread reads the
    /// environment: the session's display, platform, bus and folders, and
    /// no display of another kind.
    void enter() const
    {
        const QProcessEnvironment env = environment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                                 "XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME"}) {
            const QString key = QString::fromLatin1(name);
            if (env.contains(key))
                qputenv(name, env.value(key).toLocal8Bit());
            else
                qunsetenv(name);
        }
    }

    /// Runs a tool in this session and returns what it printed.
    QString run(const QString &tool, const QStringList &arguments, int timeout = 10000) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(runtime());
        process.start(tool, arguments);
        process.waitForFinished(timeout);
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }

private:
    QTemporaryDir m_runtime;
    QProcess m_bus;
    QString m_busAddress;
};

class TXSession : public TSession
{
public:
    explicit TXSession(const QString &screen = QStringLiteral("1280x800x24"))
        : TXSession(QStringList{screen})
    {
    }
    /// One X screen for each size given, numbered 0, 1 ... in that order.
    explicit TXSession(const QStringList &screens)
    {
        // -displayfd writes the number of a free display once it listens.
        QStringList arguments{"-displayfd", "1", "-nolisten", "tcp"};
        for (int i = 0; i < screens.size(); ++i)
            arguments << QStringLiteral("-screen") << QString::number(i) << screens.at(i);
        m_display = startAndReadLine(m_server, QStringLiteral("Xvfb"), arguments);
    }
    ~TXSession() override { stop(m_server); }

    bool isReady() const override { return TSession::isReady() && !m_display.isEmpty(); }

    QProcessEnvironment environment() const override
    {
        QProcessEnvironment env = TSession::environment();
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }

    QString xdotool(const QStringList &arguments, int timeout = 10000) const
    {
        return run(QStringLiteral("xdotool"), arguments, timeout);
    }

    /// Starts openbox on this display; whether it is up within 20 s. It
    /// names itself on the root early in its start and lists its clients
    /// once it has taken in the windows already there: a window shown in
    /// between was seen to stay unmapped. Now and then it quits at once on a
    /// fresh Xvfb; it is started again then.
    bool startWindowManager(QProcess &openbox) const
    {
        openbox.setProcessEnvironment(environment());
        openbox.setStandardOutputFile(QProcess::nullDevice());
        openbox.setStandardErrorFile(QProcess::nullDevice());
        openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!openbox.waitForStarted(5000))
            return false;
        return QTest::qWaitFor(
            [&] {
                if (openbox.state() == QProcess::NotRunning)
                    openbox.start();
                return run(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"})
                           .contains(QStringLiteral("window id"))
                    && run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST"}).contains(QStringLiteral("(WINDOW)"));
            },
            20000);
    }

    /// The whole screen as it is now.
    QImage screenshot() const
    {
        QProcess import;
        import.setProcessEnvironment(environment());
        import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        import.waitForFinished(10000);
        return QImage::fromData(import.readAllStandardOutput(), "PNG");
    }

private:
    QProcess m_server;
    QString m_display;
};

/// A headless Wayland compositor (weston) on a socket of its own.
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
