// What a modal dialog asks of an X11 window manager beyond what Qt asks:
// the window functions it may offer, and word of the frame it has put
// around the dialog. Off X11 (Wayland, offscreen) neither does anything.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>
#include <QPointer>

class QWidget;

/// Called from the dialog's show event, before the window is mapped: the
/// Motif window functions are move and close only, so that a window manager
/// that follows them offers neither minimising, maximising nor resizing.
/// Openbox reads those functions for moving and resizing only, and offers
/// minimise and fullscreen to every dialog; under Openbox the dialog's type
/// list starts with a toolbar's, the one type it offers neither for.
void AskForMoveAndCloseOnly(QWidget *dialog);

/// Emits framed() once, from the event loop, with the extents of the frame
/// that the window manager put around the window, when it has told them (the
/// _NET_FRAME_EXTENTS property). They are read here, not asked of Qt, which
/// may not know them yet.
class TFrameWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFrameWatch)

public:
    explicit TFrameWatch(QWidget *window);
    ~TFrameWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    void framed(const QMargins &extents);

private:
    void readExtents();

    QPointer<QWidget> m_window;
    quint32 m_extentsAtom = 0;
    bool m_reported = false;
};
