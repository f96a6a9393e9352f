// Picking through the XDG desktop portal's Screenshot.PickColor request on
// the session bus.
#include "portalpick.h"

#include "portalreply.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// PickColor came with version 2 of the Screenshot interface.
constexpr uint PickColorVersion = 2;
// A method call to a portal that is being started on demand may take a while.
constexpr int PortalTimeout = 10000;

QString checkingReason() { return QStringLiteral("デスクトップのポータルに問い合わせています"); }
QString noPortalReason() { return QStringLiteral("デスクトップのポータルが応答しないため、画面から色を取れません"); }
QString noPickColorReason() { return QStringLiteral("デスクトップのポータルが色の取得に対応していないため、画面から色を取れません"); }

/// The portal's name for the window the request comes from: an X11 window
/// is named by its id; a Wayland surface would need an exported handle,
/// which Qt does not offer, so there it is left empty, as the portal allows.
QString portalParentWindow(QWidget *window)
{
    if (window && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QStringLiteral("x11:") + QString::number(window->window()->winId(), 16);
    return QString();
}

} // namespace

void TPortalPick::checkAvailability()
{
    emit availabilityChanged(false, checkingReason());
    // The first use of the session bus connects and registers with it, a
    // round trip that would hang the window on a stuck bus: it is made on a
    // thread of its own, and everything after it is asynchronous.
    QThread *connector = QThread::create([] { QDBusConnection::sessionBus(); });
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connect(connector, &QThread::finished, this, [this] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            emit availabilityChanged(false, noPortalReason());
            return;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(PortalService, PortalPath,
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << ScreenshotInterface << QStringLiteral("version");
        auto *call = new QDBusPendingCallWatcher(bus.asyncCall(get, PortalTimeout), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, &TPortalPick::portalVersionAnswered);
    });
    connector->start();
}

void TPortalPick::portalVersionAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    if (reply.isError()) {
        emit availabilityChanged(false, noPortalReason());
        return;
    }
    bool isNumber = false;
    const uint version = reply.value().variant().toUInt(&isNumber);
    if (isNumber && version >= PickColorVersion)
        emit availabilityChanged(true, QString());
    else
        emit availabilityChanged(false, noPickColorReason());
}

TPortalPick::TPortalPick(QObject *parent)
    : TPickBackend(parent)
{
}

void TPortalPick::start(QWidget *window)
{
    m_running = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal answers on a Request object whose path it derives from our
    // unique name and a token of ours. Listening there before the call
    // means an answer that comes before the call's reply is not missed.
    const QString token = QStringLiteral("tintaro%1").arg(++m_requestCount);
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_requestPath = PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    // No sender is named: naming the portal's well-known name would make
    // QtDBus look up its owner with a blocking call. The path is ours alone.
    bus.connect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"), this,
                SLOT(portalResponse(uint, QVariantMap)));

    QDBusMessage pick = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenshotInterface,
                                                       QStringLiteral("PickColor"));
    pick << portalParentWindow(window) << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(pick, PortalTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &TPortalPick::portalPickAnswered);
}

void TPortalPick::portalPickAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    if (!m_running || m_requestPath.isEmpty())
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        // A portal that cannot pick says so here; the button then says why.
        emit availabilityChanged(false, noPickColorReason());
        emit finished(std::nullopt);
        return;
    }
    const QString handle = reply.value().path();
    if (handle != m_requestPath) {
        // A portal older than the token scheme chose its own path.
        unsubscribe();
        m_requestPath = handle;
        QDBusConnection::sessionBus().connect(QString(), m_requestPath, RequestInterface,
                                              QStringLiteral("Response"), this,
                                              SLOT(portalResponse(uint, QVariantMap)));
    }
}

void TPortalPick::portalResponse(uint response, const QVariantMap &results)
{
    if (!m_running)
        return;
    // 0: the user picked a colour; 1: the user cancelled; 2: anything else.
    emit finished(response == 0 ? PortalReplyColor(results) : std::nullopt);
}

void TPortalPick::release()
{
    m_running = false;
    unsubscribe();
}

void TPortalPick::abandon()
{
    if (!m_requestPath.isEmpty()) {
        // Lets the desktop take its picking prompt down; no answer is awaited.
        QDBusConnection::sessionBus().send(
            QDBusMessage::createMethodCall(PortalService, m_requestPath, RequestInterface, QStringLiteral("Close")));
    }
    release();
}

void TPortalPick::unsubscribe()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"),
                                             this, SLOT(portalResponse(uint, QVariantMap)));
    m_requestPath.clear();
}
