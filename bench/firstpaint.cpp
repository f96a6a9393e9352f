#include "firstpaint.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace {

class TFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (!m_seen && event->type() == QEvent::Expose && window && window->isExposed()) {
            m_seen = true;
            // Widgets paint and flush while the expose event is handled; the
            // zero timer runs right after that.
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("first-paint %lld\n",
                            static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

void quitAfterFirstPaint(QApplication &application)
{
    application.installEventFilter(new TFirstPaint(&application));
}
