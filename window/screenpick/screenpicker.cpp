#include "screenpicker.h"

#include "pointergrab.h"
#include "portalpick.h"
#include "screencopypick.h"
#include "x11screens.h"

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
{
    if (method == Method::Automatic) {
        const QString platform = QGuiApplication::platformName();
        // Under XWayland an X11 grab sees neither the pointer over Wayland
        // windows nor their pixels: there the portal is asked, as on Wayland.
        if (platform == QLatin1String("xcb"))
            method = isXWayland(x11Connection()) ? Method::Portal : Method::PointerGrab;
        else if (platform.startsWith(QLatin1String("wayland")))
            method = Method::Screencopy;
    }
    switch (method) {
    case Method::PointerGrab:
        use(new TPointerGrab(this));
        break;
    case Method::Portal:
        use(new TPortalPick(this));
        break;
    case Method::Screencopy: {
        // Chosen by the globals the compositor announces: where it lacks
        // an output copy or the layer shell (GNOME, KDE), the portal picks.
        auto *screencopy = new TScreencopyPick(this);
        connect(screencopy, &TScreencopyPick::notOffered, this, [this, screencopy] {
            screencopy->deleteLater();
            use(new TPortalPick(this));
        });
        use(screencopy);
        break;
    }
    case Method::Automatic:  // no way to pick on this platform
        m_reason = noPlatformReason();
        return;
    }
}

void TScreenPicker::use(TPickBackend *backend)
{
    m_backend = backend;
    connect(m_backend, &TPickBackend::availabilityChanged, this, &TScreenPicker::setAvailability);
    connect(m_backend, &TPickBackend::finished, this, &TScreenPicker::finish);
    m_backend->checkAvailability();
}

TScreenPicker::~TScreenPicker()
{
    if (!m_picking)
        return;
    m_picking = false;
    m_backend->abandon();
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
        QTimer::singleShot(0, this, [this, why = m_reason] { emit cancelled(why); });
        return;
    }
    m_picking = true;
    m_backend->start(window);
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

void TScreenPicker::cancel()
{
    if (!m_picking)
        return;
    // As the picker goes: the portal's prompt, too, is taken down.
    m_picking = false;
    m_backend->abandon();
    emit cancelled(QStringLiteral("色の取得を取り消しました"));
}

void TScreenPicker::finish(std::optional<TColor> color, const QString &why)
{
    if (!m_picking)
        return;
    m_picking = false;
    m_backend->release();
    if (color)
        emit picked(*color);
    else
        emit cancelled(why);
}
