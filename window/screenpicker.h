// Picking one pixel's exact colour from anywhere on the screen. On X11 the
// pointer and keyboard are grabbed and the pixel is read from the X server;
// on Wayland the desktop is asked through the XDG desktop portal's
// Screenshot.PickColor request on the session bus. Elsewhere picking is
// unavailable and the reason is given for the button's tooltip.
#pragma once

#include "colour.h"

#include <QObject>
#include <QString>

class QWidget;

class TScreenPicker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScreenPicker)

public:
    /// How a pick is made: chosen from the platform's name, or forced, which
    /// lets a test drive the portal on a platform that is not Wayland.
    enum class Method { Automatic, PointerGrab, Portal, None };

    explicit TScreenPicker(QObject *parent = nullptr);
    explicit TScreenPicker(Method method, QObject *parent = nullptr);
    ~TScreenPicker() override;

    /// True while a pick can be started.
    bool isAvailable() const;
    /// Why picking cannot work here, in Japanese, for the button's tooltip; empty while available.
    QString unavailableReason() const;
    /// Starts one pick over `window`'s screen: the next left click anywhere on the screen picks that pixel;
    /// Escape or a right click cancels. Exactly one of picked() or cancelled() follows.
    void start(QWidget *window);

signals:
    /// Emitted when isAvailable() or unavailableReason() changes, e.g. when
    /// the asynchronous check of the portal has answered.
    void availabilityChanged();
    /// The exact colour of the picked pixel: red in bits 0-7, green 8-15, blue 16-23.
    void picked(TColor color);
    void cancelled();

private:
    Method m_method = Method::None;
};
