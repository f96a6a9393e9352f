// Picking through the XDG desktop portal's Screenshot.PickColor request on
// the session bus. Whether the portal offers it is checked without
// blocking; picking stays unavailable until the portal has answered, and
// becomes available when a portal starts later. Each request has a token of
// its own and takes its answer only from the portal that took the request;
// it ends with a reason when the portal does not take it within a few
// seconds, leaves the bus, refuses, fails or answers with no usable colour.
#pragma once

#include "pickbackend.h"

#include <QDBusMessage>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

class TPortalPick : public TPickBackend
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPortalPick)

public:
    explicit TPortalPick(QObject *parent);

    void checkAvailability() override;
    void start(QWidget *window) override;
    void release() override;
    /// Also lets the desktop take its picking prompt down.
    void abandon() override;

private slots:
    // QtDBus connects a bus signal only to a slot named by its signature;
    // the message tells who sent it.
    void portalResponse(uint response, const QVariantMap &results, const QDBusMessage &message);

private:
    void watchPortal();
    void askVersion();
    void portalVersionAnswered(QDBusPendingCallWatcher *call);
    void portalOwnerChanged(const QString &newOwner);
    void portalPickAnswered(QDBusPendingCallWatcher *call, quint64 request);
    void answer(uint response, const QVariantMap &results);
    void fail(const QString &why);
    void subscribe();
    void unsubscribe();

    QDBusServiceWatcher *m_watcher = nullptr;
    bool m_available = false;

    // The running request: its number, its Request object, and the unique
    // name that took it, once the call has returned.
    bool m_running = false;
    quint64 m_request = 0;
    QString m_requestPath;
    QString m_portal;
    // Answers that came before the call returned, and their senders; the
    // one from the portal that took the request counts.
    QList<QDBusMessage> m_early;
};
