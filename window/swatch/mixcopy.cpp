#include "mixcopy.h"

#include "controls.h"
#include "swatch.h"

#include <QChildEvent>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TMixCopy::TMixCopy(QWidget *window, TPanel *mix)
    : QObject(window)
    , m_window(window)
    , m_mix(mix)
{
    // The event reaches the focused control first: only there can it be
    // told whether the control has text of its own to copy. Controls added
    // later are watched from the moment they join (ChildAdded).
    window->installEventFilter(this);
    for (QWidget *widget : window->findChildren<QWidget *>())
        widget->installEventFilter(this);
}

std::optional<QString> TMixCopy::selectedReadout() const
{
    // A press that starts a selection does not move the focus to the
    // read-out, so its selection is looked for wherever the focus is.
    for (const QLabel *label : m_window->findChildren<QLabel *>())
        if (label->hasSelectedText())
            return label->selectedText();
    return std::nullopt;
}

bool TMixCopy::eventFilter(QObject *watched, QEvent *event)
{
    // A menu, the chooser or any other window opened from the window keeps
    // its own keys, and so do the controls in it.
    if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() != m_window)
        return false;
    if (event->type() == QEvent::ChildAdded) {
        // Sent while the child is being built: only QObject's part is used.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType()) {
            child->installEventFilter(this);
            for (QWidget *widget : child->findChildren<QWidget *>())
                widget->installEventFilter(this);
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy)) {
            const auto *edit = qobject_cast<QLineEdit *>(watched);
            const auto *label = qobject_cast<QLabel *>(watched);
            if ((edit && edit->hasSelectedText()) || (label && label->hasSelectedText()))
                return false;
            QGuiApplication::clipboard()->setText(selectedReadout().value_or(
                ToHtmlText(m_mix->rgb())));
            return true;
        }
        // Shift+F10 asks for the focused control's menu, as the Menu key does.
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            const QPoint centre = widget->rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, widget->mapToGlobal(centre));
            QCoreApplication::sendEvent(widget, &menu);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu && watched == m_mix->parentWidget()) {
        // A keyboard request that no control took has come up to the
        // window's contents.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            ExecCopyMenu(m_mix->rgb(), m_mix->mapToGlobal(m_mix->rect().center()), m_mix);
            return true;
        }
    }
    return false;
}
