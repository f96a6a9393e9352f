// Taking the pointer and the keyboard together or not at all: the pointer
// first, then the keyboard; when either is refused whatever was taken is let
// go, and the pair is tried again for a moment before giving up. The grabs
// are handed in as calls that report the X server's answer, so that the
// sequence runs without an X server in a test.
#pragma once

#include <QObject>

#include <functional>

class QTimer;

struct TGrabCalls
{
    std::function<bool()> grabPointer;  ///< true only when the X server answered Success
    std::function<bool()> grabKeyboard;
    std::function<void()> ungrabPointer;
    std::function<void()> ungrabKeyboard;
};

class TGrabPair : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TGrabPair)

public:
    enum class Refused { Pointer, Keyboard };

    /// Tries `attempts` times in all, `interval` ms apart, without blocking.
    TGrabPair(TGrabCalls calls, int attempts, int interval, QObject *parent = nullptr);
    ~TGrabPair() override;

    /// The first attempt at once, the others from the event loop.
    void start();
    /// Lets go of both and stops trying.
    void release();
    bool isHeld() const { return m_pointer && m_keyboard; }

signals:
    void grabbed();
    /// Every attempt was refused; nothing is held. Names the grab refused last.
    void gaveUp(TGrabPair::Refused refused);

private:
    void attempt();

    TGrabCalls m_calls;
    int m_attempts;
    int m_tries = 0;
    QTimer *m_retry;
    bool m_pointer = false;
    bool m_keyboard = false;
};
