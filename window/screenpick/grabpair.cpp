#include "grabpair.h"

#include <QTimer>

#include <utility>

TGrabPair::TGrabPair(TGrabCalls calls, int attempts, int interval, QObject *parent)
    : QObject(parent)
    , m_calls(std::move(calls))
    , m_attempts(attempts)
    , m_retry(new QTimer(this))
{
    m_retry->setInterval(interval);
    connect(m_retry, &QTimer::timeout, this, &TGrabPair::attempt);
}

TGrabPair::~TGrabPair()
{
    release();
}

void TGrabPair::start()
{
    release();
    m_tries = 0;
    attempt();
    if (!isHeld() && m_tries < m_attempts)
        m_retry->start();
}

void TGrabPair::release()
{
    m_retry->stop();
    if (m_keyboard)
        m_calls.ungrabKeyboard();
    if (m_pointer)
        m_calls.ungrabPointer();
    m_keyboard = false;
    m_pointer = false;
}

void TGrabPair::attempt()
{
    ++m_tries;
    Refused refused = Refused::Pointer;
    m_pointer = m_calls.grabPointer();
    if (m_pointer) {
        m_keyboard = m_calls.grabKeyboard();
        if (m_keyboard) {
            m_retry->stop();
            emit grabbed();
            return;
        }
        refused = Refused::Keyboard;
        // Never the pointer alone: clicks would go nowhere and keys elsewhere.
        m_calls.ungrabPointer();
        m_pointer = false;
    }
    if (m_tries >= m_attempts) {
        m_retry->stop();
        emit gaveUp(refused);
    }
}
