#include "screenpicker.h"

#include <QGuiApplication>
#include <QTimer>

namespace {

QString noPlatformReason() { return QStringLiteral("このウィンドウシステムでは画面から色を取れません"); }

} // namespace

TScreenPicker::TScreenPicker(QObject *parent)
    : TScreenPicker(Method::Automatic, parent)
{
}

TScreenPicker::TScreenPicker(Method method, QObject *parent)
    : QObject(parent)
    , m_method(method)
{
    if (m_method == Method::Automatic) {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("xcb"))
            m_method = Method::PointerGrab;
        else if (platform.startsWith(QLatin1String("wayland")))
            m_method = Method::Portal;
    }
    switch (m_method) {
    case Method::PointerGrab:
        m_available = true;
        break;
    case Method::Portal:
        checkPortal();
        break;
    case Method::Automatic:  // no way to pick on this platform
        m_reason = noPlatformReason();
        break;
    }
}

TScreenPicker::~TScreenPicker()
{
    if (!m_picking)
        return;
    m_picking = false;
    releaseGrab();
    closePortalRequest();
}

bool TScreenPicker::isAvailable() const
{
    return m_available;
}

QString TScreenPicker::unavailableReason() const
{
    return m_available ? QString() : m_reason;
}

void TScreenPicker::start(QWidget *window)
{
    if (m_picking)
        return;
    if (!m_available) {
        QTimer::singleShot(0, this, &TScreenPicker::cancelled);
        return;
    }
    m_picking = true;
    if (m_method == Method::Portal)
        startPortalPick(window);
    else
        startGrab(window);
}

void TScreenPicker::setAvailability(bool available, const QString &reason)
{
    const QString shown = available ? QString() : reason;
    if (m_available == available && m_reason == shown)
        return;
    m_available = available;
    m_reason = shown;
    emit availabilityChanged();
}

void TScreenPicker::finish(std::optional<TColor> color)
{
    if (!m_picking)
        return;
    m_picking = false;
    releaseGrab();
    unsubscribePortal();
    if (color)
        emit picked(*color);
    else
        emit cancelled();
}
