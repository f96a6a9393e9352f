// Picking through the XDG desktop portal's Screenshot.PickColor request on
// the session bus. Whether the portal offers it is checked without
// blocking; picking stays unavailable until the portal has answered.
#pragma once

#include "pickbackend.h"

#include <QVariantMap>

class QDBusPendingCallWatcher;

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
    // QtDBus connects a bus signal only to a slot named by its signature.
    void portalResponse(uint response, const QVariantMap &results);

private:
    void portalVersionAnswered(QDBusPendingCallWatcher *call);
    void portalPickAnswered(QDBusPendingCallWatcher *call);
    void unsubscribe();

    bool m_running = false;
    QString m_requestPath;
    int m_requestCount = 0;
};
