// A private desktop session for tests that need a real window system: Xvfb
// on a display it picks itself and a session bus, and the program and
// xdotool run against them.
#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class TXSession
{
public:
    TXSession()
    {
        // -displayfd writes the number of a free display once it listens.
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start();
        if (!m_server.waitForStarted(5000))
            return;
        while (m_display.isEmpty() && m_server.waitForReadyRead(10000))
            m_display = QString::fromLatin1(m_server.readAllStandardOutput()).trimmed();
        m_runtime.setAutoRemove(true);

        // A session bus, as a desktop session has one. Without it libdbus
        // would start one of its own and leave its address under HOME.
        m_bus.setProgram(QStringLiteral("dbus-daemon"));
        m_bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                            QStringLiteral("--print-address=1")});
        m_bus.setStandardErrorFile(QProcess::nullDevice());
        m_bus.start();
        if (m_bus.waitForStarted(5000)) {
            while (!m_busAddress.contains('\n') && m_bus.waitForReadyRead(10000))
                m_busAddress += QString::fromLatin1(m_bus.readAllStandardOutput());
            m_busAddress = m_busAddress.trimmed();
        }
    }

    ~TXSession()
    {
        m_bus.terminate();
        m_bus.waitForFinished(5000);
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    bool isReady() const { return !m_display.isEmpty() && !m_busAddress.isEmpty(); }

    /// What a program started in this session sees: the display, a private
    /// runtime folder, and HOME and XDG_CONFIG_HOME in empty folders.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + m_display);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        env.remove(QStringLiteral("QT_SCALE_FACTOR"));
        return env;
    }

    QString home() const { return m_runtime.filePath(QStringLiteral("home")); }
    QString configHome() const { return m_runtime.filePath(QStringLiteral("config")); }

    /// Runs xdotool with the arguments and returns what it printed.
    QString xdotool(const QStringList &arguments, int timeout = 10000) const
    {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(timeout);
        return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
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
    QProcess m_bus;
    QString m_busAddress;
    QTemporaryDir m_runtime;
};
