#include "application.h"

#include <QMessageBox>
#include <QStyleFactory>

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // One style on every desktop, so that a trough click steps by one
    // rather than jumping where a platform style would.
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The whole path, however long, as the system reports it.
    m_title = titleFromPath(applicationFilePath());
}

QString TApplication::titleFromPath(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString TApplication::exceptionText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(QString::fromUtf8(error.what()));
    } catch (...) {
        showException(QStringLiteral("不明なエラー"));
    }
    return false;
}

void TApplication::showException(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, m_title, exceptionText(message), QMessageBox::Ok,
                    activeWindow());
    box.exec();
}
