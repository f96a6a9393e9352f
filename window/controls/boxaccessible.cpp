#include "boxaccessible.h"

#include "accessiblecontrol.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// A push button that an assistive technology presses; the click comes from
// the event loop, so that the call returns before a modal dialog it opens.
class TButtonAccessible : public TControlAccessible
{
public:
    explicit TButtonAccessible(QAbstractButton *button)
        : TControlAccessible(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty())
            return QString(button()->text()).remove(QLatin1Char('&'));
        return TControlAccessible::text(kind);
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + TControlAccessible::actionNames(); }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &actionName) override
    {
        if (!acts() || !button()->isEnabled())
            return;
        if (actionName == pressAction())
            button()->animateClick();
        else
            TControlAccessible::doAction(actionName);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

// A number box as a value, its text as its line edit's (checked the same
// way), and a step up and down. Qt's own converts any value it is sent to
// int, so that 1e308 or 2^40 becomes 0.
class TSpinBoxAccessible : public TControlAccessible,
                           public QAccessibleValueInterface,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit TSpinBoxAccessible(QSpinBox *box)
        : TControlAccessible(box, QAccessible::SpinBox)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        if (type == QAccessible::TextInterface && line())
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface && line())
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return TControlAccessible::interface_cast(type);
    }

    // The line edit is part of the box, not a child of its own.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return box()->text();
        return TControlAccessible::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = TControlAccessible::state();
        state.editable = !box()->isReadOnly();
        state.readOnly = box()->isReadOnly();
        return state;
    }

    QVariant currentValue() const override { return box()->value(); }
    QVariant maximumValue() const override { return box()->maximum(); }
    QVariant minimumValue() const override { return box()->minimum(); }
    QVariant minimumStepSize() const override { return box()->singleStep(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (!acts())
            return;
        if (const auto number = ClampedNumber(value, box()->minimum(), box()->maximum()))
            box()->setValue(*number);
    }

    QStringList actionNames() const override
    {
        return QStringList{QAccessibleActionInterface::increaseAction(), QAccessibleActionInterface::decreaseAction()}
            + TControlAccessible::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (!acts())
            return;
        if (actionName == QAccessibleActionInterface::increaseAction())
            box()->stepUp();
        else if (actionName == QAccessibleActionInterface::decreaseAction())
            box()->stepDown();
        else
            TControlAccessible::doAction(actionName);
    }

    // The text, read and edited through the line edit's own interface.
    void selection(int index, int *start, int *end) const override { lineText()->selection(index, start, end); }
    int selectionCount() const override { return lineText()->selectionCount(); }
    void addSelection(int start, int end) override { lineText()->addSelection(start, end); }
    void removeSelection(int index) override { lineText()->removeSelection(index); }
    void setSelection(int index, int start, int end) override { lineText()->setSelection(index, start, end); }
    int cursorPosition() const override { return lineText()->cursorPosition(); }
    void setCursorPosition(int position) override { lineText()->setCursorPosition(position); }
    QString text(int start, int end) const override { return lineText()->text(start, end); }
    int characterCount() const override { return lineText()->characterCount(); }
    QRect characterRect(int offset) const override { return lineText()->characterRect(offset); }
    int offsetAtPoint(const QPoint &point) const override { return lineText()->offsetAtPoint(point); }
    void scrollToSubstring(int start, int end) override { lineText()->scrollToSubstring(start, end); }
    QString attributes(int offset, int *start, int *end) const override { return lineText()->attributes(offset, start, end); }
    void deleteText(int start, int end) override { editable()->deleteText(start, end); }
    void insertText(int offset, const QString &inserted) override { editable()->insertText(offset, inserted); }
    void replaceText(int start, int end, const QString &replaced) override { editable()->replaceText(start, end, replaced); }

private:
    QSpinBox *box() const { return static_cast<QSpinBox *>(widget()); }
    QLineEdit *line() const { return box()->findChild<QLineEdit *>(); }
    QAccessibleInterface *lineInterface() const { return QAccessible::queryAccessibleInterface(line()); }
    QAccessibleTextInterface *lineText() const { return lineInterface()->textInterface(); }
    QAccessibleEditableTextInterface *editable() const { return lineInterface()->editableTextInterface(); }
};

} // namespace

QAccessibleInterface *CreateButtonAccessible(QAbstractButton *button)
{
    return new TButtonAccessible(button);
}

QAccessibleInterface *CreateSpinBoxAccessible(QSpinBox *box)
{
    return new TSpinBoxAccessible(box);
}
