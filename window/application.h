// The application object: owns the event loop, takes its title from the
// executable's file name, and shows any exception that escapes an event
// handler in a message box before the loop goes on.
#pragma once

#include <QApplication>

#include <exception>

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

    bool notify(QObject *receiver, QEvent *event) override;

private:
    void showException(const QString &message);

    QString m_title;
};
