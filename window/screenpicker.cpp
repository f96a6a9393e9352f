#include "screenpicker.h"

TScreenPicker::TScreenPicker(QObject *parent)
    : TScreenPicker(Method::Automatic, parent)
{
}

TScreenPicker::TScreenPicker(Method method, QObject *parent)
    : QObject(parent)
    , m_method(method)
{
}

TScreenPicker::~TScreenPicker() = default;

bool TScreenPicker::isAvailable() const
{
    return false;
}

QString TScreenPicker::unavailableReason() const
{
    return QStringLiteral("この環境では画面から色を取れません");
}

void TScreenPicker::start(QWidget *window)
{
    Q_UNUSED(window)
    emit cancelled();
}
