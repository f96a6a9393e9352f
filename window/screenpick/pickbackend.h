// One way of picking a pixel from the screen, behind TScreenPicker: the
// X11 pointer grab (pointergrab.h) or the desktop portal (portalpick.h).
#pragma once

#include "colour.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

class TPickBackend : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPickBackend)

public:
    explicit TPickBackend(QObject *parent)
        : QObject(parent)
    {
    }

    /// Finds out whether picks can be made; availabilityChanged() says so,
    /// at once or later.
    virtual void checkAvailability() = 0;
    /// Starts one pick over `window`'s screen; finished() follows once,
    /// unless release() or abandon() comes first.
    virtual void start(QWidget *window) = 0;
    /// Lets go of what the pick held, after it has finished.
    virtual void release() = 0;
    /// Ends a pick that is still running, as the picker goes.
    virtual void abandon() { release(); }

signals:
    void availabilityChanged(bool available, const QString &reason);
    /// The picked pixel's colour, or nothing when the pick was cancelled or
    /// failed; then `why` says why, in Japanese, or is empty for a plain cancel.
    void finished(std::optional<TColor> color, const QString &why = QString());
};
