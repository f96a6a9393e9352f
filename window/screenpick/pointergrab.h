// Picking on X11: a small window outside the screen takes the pointer and
// the keyboard, checking the X server's own answers, and the pixel under a
// click is that of the root window of the X screen the pointer is on, in
// device pixels, as the screen was when the pick came to it. A loupe follows
// the pointer; the arrow keys move it by one device pixel, and Enter or
// Space picks the pixel framed in it.
#pragma once

#include "pickbackend.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>

#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <vector>

class QScreen;
class QTimer;
class TGrabPair;
class TLoupe;
class TRootShot;
struct TPointerPlace;

class TPointerGrab : public TPickBackend, private QAbstractNativeEventFilter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPointerGrab)

public:
    explicit TPointerGrab(QObject *parent);
    ~TPointerGrab() override;

    void checkAvailability() override;
    void start(QWidget *window) override;
    void release() override;

private:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    bool grabPointer();
    bool grabKeyboard();
    void grabbed();
    void keyPressed(xcb_keycode_t keycode);
    void follow(const TPointerPlace &place);
    QScreen *monitorsOf(xcb_window_t root);
    TRootShot *shotOf(xcb_window_t root);
    void takeStrip();
    std::optional<TColor> pixelAt(const TPointerPlace &place);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_NONE;  // the grab window
    xcb_cursor_t m_cursor = XCB_NONE;
    QPointer<QWidget> m_grabber;
    TGrabPair *m_grabs = nullptr;
    std::unique_ptr<TLoupe> m_loupe;
    std::map<xcb_window_t, QScreen *> m_monitors;  // one Qt screen of each X screen's root
    std::map<xcb_window_t, std::unique_ptr<TRootShot>> m_shots;  // for this pick only
    QTimer *m_strips = nullptr;  // takes the rest of each root while the pick runs
    std::vector<xcb_keysym_t> m_keysyms;  // the first symbol of each key code
    xcb_keycode_t m_firstKeycode = 0;
    std::optional<TColor> m_pressed;  // read at the press, given at the release
    bool m_cancelPressed = false;
};
