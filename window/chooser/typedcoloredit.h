#pragma once

#include <QKeyEvent>
#include <QLineEdit>

// The typed colour is read on Enter or when the focus leaves. Enter is kept
// here: it reads the text and does not also press OK.
class TTypedColorEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TTypedColorEdit(QWidget *parent)
        : QLineEdit(parent)
    {
    }

signals:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            emit submitted();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        emit submitted();
    }
};
