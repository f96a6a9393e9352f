// Picking through the XDG desktop portal's Screenshot.PickColor request on
// the session bus.
#include "portalpick.h"

#include "portalreply.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QThread>
#include <QWidget>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const char *const ResponseSlot = SLOT(portalResponse(uint, QVariantMap, QDBusMessage));

// PickColor came with version 2 of the Screenshot interface.
constexpr uint PickColorVersion = 2;
// Asking for the version may start the portal on demand, which takes a while.
constexpr int VersionTimeout = 10000;
// A running portal takes a request at once; the user's pick itself, after
// that, may take as long as the user likes.
constexpr int PickTimeout = 5000;

QString checkingReason() { return QStringLiteral("デスクトップのポータルに問い合わせています"); }
QString noBusReason() { return QStringLiteral("セッションバスにつながらないため、画面から色を取れません"); }
QString noPortalReason() { return QStringLiteral("デスクトップのポータルがないため、画面から色を取れません"); }
QString silentPortalReason() { return QStringLiteral("デスクトップのポータルが応答しないため、画面から色を取れません"); }
QString noPickColorReason() { return QStringLiteral("デスクトップのポータルが色の取得に対応していないため、画面から色を取れません"); }

// Why a pick ended without a colour, for beside the button.
QString userCancelled() { return QStringLiteral("色の取得は取り消されました"); }
QString desktopFailed() { return QStringLiteral("デスクトップが色を取れませんでした"); }
QString portalSilent() { return QStringLiteral("デスクトップのポータルが応答しないため、色を取れませんでした"); }
QString portalLeft() { return QStringLiteral("デスクトップのポータルが終了したため、色を取れませんでした"); }
QString portalMissing() { return QStringLiteral("デスクトップのポータルがないため、色を取れませんでした"); }
QString portalRefused() { return QStringLiteral("デスクトップのポータルが色の取得を受け付けませんでした"); }
QString unknownResponse(uint code)
{
    return QStringLiteral("デスクトップのポータルが不明な応答 (%1) を返したため、色を変えませんでした").arg(code);
}

QString faultReason(TPortalReplyColor::Fault fault)
{
    switch (fault) {
    case TPortalReplyColor::Fault::Missing:
        return QStringLiteral("デスクトップのポータルの応答に色がなかったため、色を変えませんでした");
    case TPortalReplyColor::Fault::WrongType:
        return QStringLiteral("デスクトップのポータルが色を正しくない形で返したため、色を変えませんでした");
    case TPortalReplyColor::Fault::NotANumber:
        return QStringLiteral("デスクトップのポータルが数でない色の値を返したため、色を変えませんでした");
    case TPortalReplyColor::Fault::OutOfRange:
        return QStringLiteral("デスクトップのポータルが範囲外の色の値を返したため、色を変えませんでした");
    case TPortalReplyColor::Fault::None:
        break;
    }
    return QString();
}

bool isMissing(const QDBusError &error)
{
    return error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::Disconnected
           || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

/// The portal's name for the window the request comes from: an X11 window
/// is named by its id; a Wayland surface would need an exported handle,
/// which Qt does not offer, so there it is left empty, as the portal allows.
QString portalParentWindow(QWidget *window)
{
    if (window && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QStringLiteral("x11:") + QString::number(window->window()->winId(), 16);
    return QString();
}

/// A token nobody else can guess, so that nobody else can name the request
/// before the portal has it.
QString freshToken()
{
    return QStringLiteral("tintaro_%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

} // namespace

TPortalPick::TPortalPick(QObject *parent)
    : TPickBackend(parent)
{
}

void TPortalPick::checkAvailability()
{
    emit availabilityChanged(false, checkingReason());
    // The first use of the session bus connects and registers with it, a
    // round trip that would hang the window on a stuck bus: it is made on a
    // thread of its own, and everything after it is asynchronous.
    QThread *connector = QThread::create([] { QDBusConnection::sessionBus(); });
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connect(connector, &QThread::finished, this, [this] {
        if (!QDBusConnection::sessionBus().isConnected()) {
            emit availabilityChanged(false, noBusReason());
            return;
        }
        watchPortal();
        askVersion();
    });
    connector->start();
}

void TPortalPick::watchPortal()
{
    // A portal may start after us, leave, or be replaced; the bus says so.
    m_watcher = new QDBusServiceWatcher(PortalService, QDBusConnection::sessionBus(),
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { portalOwnerChanged(newOwner); });
}

void TPortalPick::askVersion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(PortalService, PortalPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << ScreenshotInterface << QStringLiteral("version");
    auto *call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get, VersionTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &TPortalPick::portalVersionAnswered);
}

void TPortalPick::portalVersionAnswered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    QString reason;
    if (reply.isError()) {
        if (isMissing(reply.error()))
            reason = noPortalReason();
        else if (reply.error().type() == QDBusError::NoReply || reply.error().type() == QDBusError::Timeout)
            reason = silentPortalReason();
        else
            reason = noPickColorReason();  // no Screenshot interface, or no version on it
    } else {
        bool isNumber = false;
        const uint version = reply.value().variant().toUInt(&isNumber);
        if (!isNumber || version < PickColorVersion)
            reason = noPickColorReason();
    }
    m_available = reason.isEmpty();
    emit availabilityChanged(m_available, reason);
}

void TPortalPick::portalOwnerChanged(const QString &newOwner)
{
    if (m_running) {
        // The portal that took the request, or the one that was to take it,
        // has gone: nobody will answer.
        if ((!m_portal.isEmpty() && newOwner != m_portal) || (m_portal.isEmpty() && newOwner.isEmpty()))
            fail(portalLeft());
    }
    if (!newOwner.isEmpty() && !m_available)
        askVersion();  // a portal that started after us
}

void TPortalPick::start(QWidget *window)
{
    m_running = true;
    const quint64 request = ++m_request;
    m_portal.clear();
    m_early.clear();
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The portal answers on a Request object whose path it derives from our
    // unique name and a token of ours. Listening there before the call
    // means an answer that comes before the call's reply is not missed.
    const QString token = freshToken();
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_requestPath = PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    subscribe();

    QDBusMessage pick = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenshotInterface,
                                                       QStringLiteral("PickColor"));
    pick << portalParentWindow(window) << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto *call = new QDBusPendingCallWatcher(bus.asyncCall(pick, PickTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, request](QDBusPendingCallWatcher *answered) { portalPickAnswered(answered, request); });
}

void TPortalPick::portalPickAnswered(QDBusPendingCallWatcher *call, quint64 request)
{
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (request != m_request || !m_running) {
        // The request ended before the portal took it: let it drop it.
        if (reply.isValid())
            QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
                reply.reply().service(), reply.value().path(), RequestInterface, QStringLiteral("Close")));
        return;
    }
    if (reply.isError()) {
        const QDBusError error = reply.error();
        if (isMissing(error))
            fail(portalMissing());
        else if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
            fail(portalSilent());
        else
            fail(portalRefused());
        return;
    }
    // From now on only this connection may answer.
    m_portal = reply.reply().service();
    const QString handle = reply.value().path();
    if (handle != m_requestPath) {
        // A portal older than the token scheme chose its own path.
        unsubscribe();
        m_requestPath = handle;
        subscribe();
    }
    const QList<QDBusMessage> early = std::exchange(m_early, {});
    for (const QDBusMessage &message : early) {
        if (message.service() == m_portal && message.path() == m_requestPath && message.arguments().size() == 2) {
            const QVariantMap results = qdbus_cast<QVariantMap>(message.arguments().at(1));
            answer(message.arguments().at(0).toUInt(), results);
            return;
        }
    }
}

void TPortalPick::portalResponse(uint response, const QVariantMap &results, const QDBusMessage &message)
{
    if (!m_running || message.path() != m_requestPath)
        return;
    if (m_portal.isEmpty()) {
        // Before the call has returned, the sender is not known to be the
        // portal that takes the request; kept until it is.
        m_early.append(message);
        return;
    }
    if (message.service() != m_portal)
        return;  // another client speaking for the portal
    answer(response, results);
}

void TPortalPick::answer(uint response, const QVariantMap &results)
{
    // The documented responses: 0 the user picked, 1 the user cancelled,
    // 2 the interaction ended in some other way.
    switch (response) {
    case 0: {
        const TPortalReplyColor reply = PortalReplyColor(results);
        if (reply.color)
            emit finished(reply.color);
        else
            fail(faultReason(reply.fault));
        break;
    }
    case 1:
        fail(userCancelled());
        break;
    case 2:
        fail(desktopFailed());
        break;
    default:
        fail(unknownResponse(response));
        break;
    }
}

void TPortalPick::fail(const QString &why)
{
    emit finished(std::nullopt, why);
}

void TPortalPick::release()
{
    m_running = false;
    unsubscribe();
    m_portal.clear();
    m_early.clear();
}

void TPortalPick::abandon()
{
    if (m_running && !m_requestPath.isEmpty()) {
        // Lets the desktop take its picking prompt down; no answer is awaited.
        QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
            m_portal.isEmpty() ? PortalService : m_portal, m_requestPath, RequestInterface, QStringLiteral("Close")));
    }
    release();
}

void TPortalPick::subscribe()
{
    // No sender is named: naming the portal's well-known name would make
    // QtDBus look up its owner with a blocking call. The sender is checked
    // in portalResponse().
    QDBusConnection::sessionBus().connect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"),
                                          this, ResponseSlot);
}

void TPortalPick::unsubscribe()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QString(), m_requestPath, RequestInterface, QStringLiteral("Response"),
                                             this, ResponseSlot);
    m_requestPath.clear();
}
