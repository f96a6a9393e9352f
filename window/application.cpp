#include "application.h"

#include <QMessageBox>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

// The page step equals the line step, so a trough click moves by one; a
// style that jumps to the pointer on a left or middle click would not.
class TStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition || hint == SH_ScrollBar_MiddleClickAbsolutePosition)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

int handlerDepth = 0;
std::exception_ptr carried;

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setStyle(createStyle());
    // The whole path, however long, as the system reports it.
    m_title = titleFromPath(applicationFilePath());
}

QStyle *TApplication::createStyle(const QString &baseStyle)
{
    // Without a base the proxy takes the desktop's own style, which is
    // Fusion where the desktop names none.
    return baseStyle.isEmpty() ? new TStyle : new TStyle(QStyleFactory::create(baseStyle));
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
    } catch (...) {
        showException(std::current_exception());
    }
    return false;
}

void TApplication::showException(std::exception_ptr error)
{
    QString message = QStringLiteral("不明なエラー");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
    }
    QMessageBox box(QMessageBox::Critical, m_title, exceptionText(message), QMessageBox::Ok, activeWindow());
    box.exec();
}

void RunHandler(const std::function<void()> &handler)
{
    ++handlerDepth;
    try {
        handler();
    } catch (...) {
        carried = std::current_exception();
    }
    --handlerDepth;
    if (handlerDepth == 0 && carried) {
        const std::exception_ptr error = std::exchange(carried, nullptr);
        if (auto *application = qobject_cast<TApplication *>(QCoreApplication::instance()))
            application->showException(error);
    }
}

void RaiseCarriedException()
{
    if (carried)
        std::rethrow_exception(std::exchange(carried, nullptr));
}
