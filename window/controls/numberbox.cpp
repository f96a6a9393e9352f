#include "numberbox.h"

#include "accessible.h"

#include <QRegularExpression>

#include <algorithm>

TNumberBox::TNumberBox(QWidget *parent)
    : QSpinBox(parent)
{
    InstallControlAccessibility();
}

int TNumberBox::nearest(qint64 number) const
{
    if (wrapping()) {
        const qint64 span = qint64(maximum()) - minimum() + 1;
        return int(((number - minimum()) % span + span) % span + minimum());
    }
    return int(std::clamp<qint64>(number, minimum(), maximum()));
}

QString TNumberBox::numberPart(const QString &input) const
{
    QString number = input;
    if (!prefix().isEmpty() && number.startsWith(prefix()))
        number.remove(0, prefix().size());
    if (!suffix().isEmpty() && number.endsWith(suffix()))
        number.chop(suffix().size());
    return number.trimmed();
}

QValidator::State TNumberBox::validate(QString &input, int &pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // QSpinBox refuses the digit that takes a number past the end, so that
    // 300 would be typed as 30: up to nine digits (an int either way) are
    // on their way to a number the box holds, which fixup() finds.
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]{0,9}$"));
    return number.match(numberPart(input)).hasMatch() ? QValidator::Intermediate : state;
}

void TNumberBox::fixup(QString &input) const
{
    bool ok = false;
    const qint64 number = numberPart(input).toLongLong(&ok);
    if (ok)
        input = prefix() + textFromValue(nearest(number)) + suffix();
    else
        QSpinBox::fixup(input);
}
