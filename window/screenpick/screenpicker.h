// Picking one pixel's exact colour from anywhere on the screen. On X11 the
// pointer and keyboard are grabbed by a small window outside the screen and
// the pixel under a left click is read from the X server, with a loupe
// beside the pointer. On Wayland, where the compositor announces a copy of
// the outputs (ext-image-copy-capture or wlroots' screencopy) and the layer
// shell (sway, Hyprland, river, COSMIC and the like), each output is copied
// once and shown frozen under a loupe of the same kind.
// On the other Wayland desktops (GNOME, KDE), and under XWayland, whose grab
// cannot reach Wayland windows, the desktop is asked through the XDG
// desktop portal's Screenshot.PickColor request on the session bus. Both
// are checked without blocking, and picking stays unavailable until the
// compositor or the portal has answered. Elsewhere picking is unavailable,
// and the reason is given for a tooltip.
#pragma once

#include "colour.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;
class TPickBackend;

class TScreenPicker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScreenPicker)

public:
    /// How a pick is made: chosen from the platform's name (X11: a pointer
    /// grab, Wayland: screencopy where the compositor announces it, else the
    /// portal), or forced, which lets a test drive the portal on a platform
    /// that is not Wayland.
    enum class Method { Automatic, PointerGrab, Portal, Screencopy };

    explicit TScreenPicker(QObject *parent = nullptr);
    explicit TScreenPicker(Method method, QObject *parent = nullptr);
    ~TScreenPicker() override;

    /// True while a pick can be started.
    bool isAvailable() const;
    /// Why picking cannot work here, in Japanese, for the button's tooltip; empty while available.
    QString unavailableReason() const;
    /// Starts one pick over `window`'s screen: the next left click anywhere on the screen picks that pixel;
    /// Escape or a right click cancels. On X11 the arrow keys also move the pointer and Enter or Space picks. Exactly one of picked() or cancelled() follows. A call while a pick
    /// is running is ignored (that pick's own signal follows); a call while unavailable is cancelled at once.
    void start(QWidget *window);
    /// True from start() until picked() or cancelled().
    bool isPicking() const { return m_picking; }
    /// Ends a running pick at once (Escape in the window that started it, where the desktop does not take the
    /// keys): cancelled() follows.
    void cancel();

signals:
    /// Emitted whenever isAvailable() or unavailableReason() changes: once the
    /// portal has answered the check made at construction, and when the
    /// portal later refuses a pick.
    void availabilityChanged();
    /// The exact colour of the picked pixel: red in bits 0-7, green 8-15, blue 16-23.
    void picked(TColor color);
    /// Nothing was picked; `why` says why, in Japanese, for beside the button, or is empty when the user
    /// cancelled in a way that needs no word (Escape or a right click during a grab).
    void cancelled(const QString &why);

private:
    void use(TPickBackend *backend);
    void setAvailability(bool available, const QString &reason);
    void finish(std::optional<TColor> color, const QString &why);

    TPickBackend *m_backend = nullptr;  // none where no way to pick exists
    bool m_available = false;
    QString m_reason;
    bool m_picking = false;
};
