// A stand-in for the desktop portal's Screenshot interface, for tests on a
// private session bus, for the answers that the real portal never gives. It
// owns org.freedesktop.portal.Desktop, exports /org/freedesktop/portal/desktop
// with org.freedesktop.portal.Screenshot (the version property and
// PickColor), and answers each PickColor as the portal documents: a Request
// object at the path the caller's handle_token implies, and its Response
// signal, sent to the caller alone. The Response goes out before the
// method's reply, which a portal may do and a caller that listens only
// after the reply would miss.
//
//   portal_standin RED,GREEN,BLUE [VERSION]   answers with that colour (doubles; nan and inf too)
//   portal_standin cancel [VERSION]           answers "cancelled" (response 1)
//   portal_standin other [VERSION]            answers "other" (response 2)
//   portal_standin code:N                     answers response N, without results
//   portal_standin nocolor                    answers response 0 without a colour
//   portal_standin ints:R,G,B                 answers with the colour as three integers, (iii)
//   portal_standin twice:R,G,B                answers with that colour, then again with pure red
//   portal_standin late:R,G,B                 returns the handle, answers a second later, even if closed;
//                                             the first request with that colour, later ones with pure blue
//   portal_standin silent                     never returns from PickColor
//
// It prints "ready" once it owns the name.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>

#include <cstdio>

class TRequest : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public slots:
    void Close() {}
};

class TScreenshotPortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
    Q_PROPERTY(uint version READ version)

public:
    TScreenshotPortal(QString answer, uint version)
        : m_answer(std::move(answer))
        , m_version(version)
    {
    }

    uint version() const { return m_version; }

public slots:
    QDBusObjectPath PickColor(const QString &parentWindow, const QVariantMap &options)
    {
        Q_UNUSED(parentWindow)
        const QString caller = message().service();
        QString token = options.value(QStringLiteral("handle_token")).toString();
        if (token.isEmpty())
            token = QStringLiteral("standin%1").arg(++m_requests);
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/")
                             + caller.mid(1).replace(QLatin1Char('.'), QLatin1Char('_')) + QLatin1Char('/') + token;
        if (m_answer == QLatin1String("silent")) {
            setDelayedReply(true);  // and never replies
            return QDBusObjectPath();
        }
        QDBusConnection bus = connection();
        TRequest request;
        bus.registerObject(path, &request, QDBusConnection::ExportAllSlots);

        const QString kind = m_answer.section(QLatin1Char(':'), 0, 0);
        const QString value = m_answer.section(QLatin1Char(':'), 1);
        uint response = 2;
        QVariantMap results;
        if (kind == QLatin1String("cancel")) {
            response = 1;
        } else if (kind == QLatin1String("code")) {
            response = value.toUInt();
        } else if (kind == QLatin1String("nocolor")) {
            response = 0;
        } else if (kind == QLatin1String("ints")) {
            QDBusArgument color;
            color.beginStructure();
            for (const QString &part : value.split(QLatin1Char(',')))
                color << part.toInt();
            color.endStructure();
            results.insert(QStringLiteral("color"), QVariant::fromValue(color));
            response = 0;
        } else if (kind != QLatin1String("other")) {
            results.insert(QStringLiteral("color"), colorArgument(value.isEmpty() ? kind : value));
            response = 0;
        }
        if (kind == QLatin1String("late")) {
            if (++m_late > 1)
                results.insert(QStringLiteral("color"), colorArgument(QStringLiteral("0,0,1")));
            QTimer::singleShot(1000, this, [bus, caller, path, results]() mutable {
                respond(bus, caller, path, 0, results);
            });
            return QDBusObjectPath(path);
        }
        respond(bus, caller, path, response, results);
        if (kind == QLatin1String("twice"))
            respond(bus, caller, path, 0, {{QStringLiteral("color"), colorArgument(QStringLiteral("1,0,0"))}});
        bus.unregisterObject(path);
        return QDBusObjectPath(path);
    }

private:
    static QVariant colorArgument(const QString &components)
    {
        QDBusArgument color;
        color.beginStructure();
        for (const QString &part : components.split(QLatin1Char(',')))
            color << part.toDouble();
        color.endStructure();
        return QVariant::fromValue(color);
    }

    static void respond(QDBusConnection bus, const QString &caller, const QString &path, uint response,
                        const QVariantMap &results)
    {
        QDBusMessage signal = QDBusMessage::createTargetedSignal(
            caller, path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        bus.send(signal);
    }

    QString m_answer;
    uint m_version = 2;
    int m_requests = 0;
    int m_late = 0;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    const uint version = arguments.size() > 2 ? arguments.at(2).toUInt() : 2;
    TScreenshotPortal portal(arguments.at(1), version);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
        || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}

#include "portal_standin.moc"
