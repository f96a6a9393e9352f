#include "captions.h"

#include <QLabel>
#include <QPushButton>

QString PlainCaption(const QString &caption)
{
    QString plain = caption.left(caption.indexOf(QLatin1String("(&")));
    if (plain.endsWith(QLatin1Char(':')))
        plain.chop(1);
    return plain;
}

QLabel *CaptionFor(QWidget *control, const QString &caption)
{
    auto *label = new QLabel(caption, control->parentWidget());
    label->setBuddy(control);
    label->setAccessibleName(PlainCaption(caption));
    control->setAccessibleName(PlainCaption(caption));
    return label;
}

QPushButton *PlainButton(const QString &caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setAccessibleName(PlainCaption(caption));
    return button;
}
