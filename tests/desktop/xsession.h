// Private desktop sessions for tests that need a real window system: a
// session bus, and Xvfb or a headless Wayland compositor on a display that
// nobody else uses; the program and the tools run against them.
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

/// Starts a program and reads the first line it prints (an address or a
/// display number it chose itself).
inline QString startAndReadLine(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardErrorFile(QProcess::nullDevice());
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
        // own configuration starts nothing from the machine's service
        // folders (a desktop portal there would take the stand-in's name);
        // only the accessibility bus can be started on demand.
        m_busAddress = startAndReadLine(m_bus, QStringLiteral("dbus-daemon"),
                                        {"--config-file=" + writeBusConfiguration(), "--nofork", "--nopidfile",
                                         "--print-address=1"});
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
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    QString runtime() const { return m_runtime.path(); }  // mode 0700, as the runtime folder must be
    QString home() const { return m_runtime.filePath(QStringLiteral("home")); }
    QString configHome() const { return m_runtime.filePath(QStringLiteral("config")); }

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
    QString writeBusConfiguration() const
    {
        const QString services = m_runtime.filePath(QStringLiteral("bus-services"));
        QDir().mkpath(services);
        QFile a11y(services + QStringLiteral("/org.a11y.Bus.service"));
        if (a11y.open(QIODevice::WriteOnly))
            a11y.write("[D-BUS Service]\nName=org.a11y.Bus\nExec=/usr/libexec/at-spi-bus-launcher\n");
        const QString path = m_runtime.filePath(QStringLiteral("bus.conf"));
        QFile configuration(path);
        if (configuration.open(QIODevice::WriteOnly))
            configuration.write(QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig>\n"
                "  <type>session</type>\n"
                "  <listen>unix:tmpdir=/tmp</listen>\n"
                "  <auth>EXTERNAL</auth>\n"
                "  <servicedir>%1</servicedir>\n"
                "  <policy context=\"default\">\n"
                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                "    <allow eavesdrop=\"true\"/>\n"
                "    <allow own=\"*\"/>\n"
                "  </policy>\n"
                "</busconfig>\n").arg(services).toUtf8());
        return path;
    }

    QTemporaryDir m_runtime;
    QProcess m_bus;
    QString m_busAddress;
};

class TXSession : public TSession
{
public:
    explicit TXSession(const QString &screen = QStringLiteral("1280x800x24"))
    {
        // -displayfd writes the number of a free display once it listens.
        m_display = startAndReadLine(m_server, QStringLiteral("Xvfb"),
                                     {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
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
