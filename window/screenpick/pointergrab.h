// Picking on X11: the pointer and keyboard are grabbed by a small window
// outside the screen, and the pixel under a left click is read from the X
// server. The arrow keys also move the pointer, and Enter or Space picks.
#pragma once

#include "pickbackend.h"

#include <QPointer>

class QTimer;

class TPointerGrab : public TPickBackend
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPointerGrab)

public:
    explicit TPointerGrab(QObject *parent);

    void checkAvailability() override;
    void start(QWidget *window) override;
    void release() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tryGrab();
    void keyPressed(int key);
    void readPixel(const QPointF &globalPosition);

    bool m_running = false;
    QPointer<QWidget> m_grabber;
    QTimer *m_grabRetry = nullptr;
    int m_grabTries = 0;
    std::optional<TColor> m_pressed;  // read at the press, given at the release
    bool m_cancelPressed = false;
};
