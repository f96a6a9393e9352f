#include "accessible.h"

#include "accessiblecontrol.h"
#include "boxaccessible.h"
#include "controls.h"
#include "listaccessible.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// A slider as a value that an assistive technology may set.
class TScrollBarAccessible : public TControlAccessible, public QAccessibleValueInterface
{
public:
    explicit TScrollBarAccessible(TScrollBar *slider)
        : TControlAccessible(slider, QAccessible::ScrollBar)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return QString::number(slider()->position());
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return slider()->position(); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

    void setCurrentValue(const QVariant &value) override
    {
        if (!acts())
            return;
        if (const auto position = ClampedNumber(value, slider()->minimum(), slider()->maximum()))
            slider()->setPosition(*position);
    }

private:
    TScrollBar *slider() const { return static_cast<TScrollBar *>(widget()); }
};

// An edit box as text that an assistive technology reads, selects and
// edits; every offset is checked against the text first. Qt's own would pad
// the text with spaces up to any offset it is given, up to 2^31 - 1.
class TEditAccessible : public TControlAccessible,
                        public QAccessibleTextInterface,
                        public QAccessibleEditableTextInterface
{
public:
    explicit TEditAccessible(QLineEdit *edit)
        : TControlAccessible(edit, QAccessible::EditableText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return edit()->text();
        return QAccessibleWidget::text(kind);
    }

    void setText(QAccessible::Text kind, const QString &text) override
    {
        if (!acts())
            return;
        if (kind == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(kind, text);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !edit()->isReadOnly();
        state.readOnly = edit()->isReadOnly();
        state.selectableText = true;
        return state;
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = edit()->selectionEnd();
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override
    {
        if (selectionIndex == 0 && acts())
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override
    {
        if (selectionIndex == 0 && acts() && isOffset(startOffset) && isOffset(endOffset))
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override
    {
        if (acts() && isOffset(position))
            edit()->setCursorPosition(position);
    }

    QString text(int startOffset, int endOffset) const override
    {
        if (!isRange(startOffset, endOffset))
            return QString();
        return edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(edit()->text().size()); }

    // Measured from the text's left edge as if the box had not scrolled: a
    // text wider than the box scrolls it, and the rectangles are then off
    // by the scrolled amount.
    QRect characterRect(int offset) const override
    {
        if (!isRange(offset, offset + 1))
            return QRect();
        const QFontMetrics metrics(edit()->font());
        const QString text = edit()->text();
        const QRect inside = textArea();
        const int left = inside.left() + metrics.horizontalAdvance(text.left(offset));
        const QRect local(left, inside.top(), metrics.horizontalAdvance(text.at(offset)), inside.height());
        return QRect(edit()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = edit()->mapFromGlobal(point);
        return edit()->rect().contains(local) ? edit()->cursorPositionAt(local) : -1;
    }
    void scrollToSubstring(int startIndex, int endIndex) override
    {
        if (!acts() || !isRange(startIndex, endIndex))
            return;
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return QString();
    }

    void deleteText(int startOffset, int endOffset) override
    {
        if (acts() && isRange(startOffset, endOffset))
            edit()->setText(edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString &text) override
    {
        if (acts() && isOffset(offset))
            edit()->setText(edit()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (acts() && isRange(startOffset, endOffset))
            edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit *edit() const { return static_cast<QLineEdit *>(widget()); }
    bool isOffset(int offset) const { return offset >= 0 && offset <= characterCount(); }
    bool isRange(int start, int end) const { return isOffset(start) && isOffset(end) && start <= end; }

    QRect textArea() const
    {
        QStyleOptionFrame option;
        option.initFrom(edit());
        option.lineWidth = edit()->hasFrame() ? edit()->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        return edit()->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit());
    }
};

// A panel is read as an image described by its colour, computed when an
// assistive technology asks rather than at every change.
class TPanelAccessible : public TControlAccessible
{
public:
    explicit TPanelAccessible(TPanel *panel)
        : TControlAccessible(panel, QAccessible::Graphic)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Description)
            return static_cast<const TPanel *>(widget())->description();
        return QAccessibleWidget::text(kind);
    }
};

// Keyed on the types, not on class names: a renamed control keeps its
// interface.
QAccessibleInterface *controlAccessible(const QString &, QObject *object)
{
    if (auto *slider = qobject_cast<TScrollBar *>(object))
        return new TScrollBarAccessible(slider);
    // Every line edit and number box of the program, the chooser's too.
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return new TEditAccessible(edit);
    if (auto *box = qobject_cast<QSpinBox *>(object))
        return CreateSpinBoxAccessible(box);
    if (auto *list = qobject_cast<TListBox *>(object))
        return CreateListBoxAccessible(list);
    if (auto *panel = qobject_cast<TPanel *>(object))
        return new TPanelAccessible(panel);
    if (auto *button = qobject_cast<TButton *>(object))
        return CreateButtonAccessible(button);
    return nullptr;
}

} // namespace

void InstallControlAccessibility()
{
    static const bool installed = (QAccessible::installFactory(controlAccessible), true);
    Q_UNUSED(installed);
}
