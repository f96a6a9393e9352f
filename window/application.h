// The application object: owns the event loop, takes its title from the
// executable's file name, and shows any exception that escapes an event
// handler in a message box before the loop goes on. The handlers run through
// RunHandler, so an exception never unwinds through Qt's own code; notify()
// stays as the last resort for anything else.
#pragma once

#include <QApplication>
#include <QObject>

#include <exception>
#include <functional>

class QStyle;

class TApplication : public QApplication
{
    Q_OBJECT

public:
    TApplication(int &argc, char **argv);

    /// Shown on the task bar and as the caption of error message boxes.
    QString title() const { return m_title; }

    /// The file name without its folder, cut at its first dot, every
    /// character after the first in lower case: "/opt/TINTARO.bin" gives
    /// "Tintaro".
    static QString titleFromPath(const QString &path);

    /// The message as the error box shows it: with a "." appended when its
    /// last character sorts after ".".
    static QString exceptionText(const QString &message);

    /// The desktop's own style (the named one when given), with clicks in a
    /// scroll bar's trough stepping instead of jumping to the pointer.
    static QStyle *createStyle(const QString &baseStyle = QString());

    /// The error box: the message as exceptionText() gives it, a stop icon,
    /// OK, and the application title as its caption.
    void showException(std::exception_ptr error);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    QString m_title;
};

/// Runs an event handler. An exception that leaves it is shown in the error
/// box and the program goes on. Inside another handler (a slider set by a
/// pick) the exception is carried past Qt's signal code instead and raised
/// again in the outer handler when the control's setter returns (the check
/// given to the control layer), so the outer handler stops there as well:
/// one box, as if it had unwound straight through.
void RunHandler(const std::function<void()> &handler);

/// connect() with the slot run through RunHandler.
template<typename Sender, typename Signal, typename Receiver>
QMetaObject::Connection ConnectHandler(Sender *sender, Signal signal, Receiver *receiver,
                                       void (Receiver::*handler)())
{
    return QObject::connect(sender, signal, receiver,
                            [receiver, handler] { RunHandler([&] { (receiver->*handler)(); }); });
}
