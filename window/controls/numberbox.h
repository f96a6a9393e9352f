// A number box for the chooser's components, in the control layer.
#pragma once

#include <QSpinBox>

/// A number box that takes the nearest number it can hold. Every digit typed
/// stays in the box; on Enter or when the focus leaves, a number past either
/// end takes that end, or, in a box that wraps (the hue), its place on the
/// round: 360 is 0 and -30 is 330 in 0 .. 359.
class TNumberBox : public QSpinBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TNumberBox)

public:
    explicit TNumberBox(QWidget *parent);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    /// The number as the box keeps it.
    int nearest(qint64 number) const;
    /// The input without its prefix and suffix.
    QString numberPart(const QString &input) const;
};
