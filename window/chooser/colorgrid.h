// The chooser's grids of colour cells: the basic colours and the custom
// colour slots.
#pragma once

#include "controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

// One cell of a colour grid. Only the grid's current cell is a Tab stop;
// the arrow keys ask the grid to move the focus, and Space or Enter picks.
class TColorCell : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TColorCell(QWidget *parent)
        : QAbstractButton(parent)
    {
        setFixedSize(24, 20);
        setFocusPolicy(Qt::ClickFocus);
    }

    TColor color() const { return m_color; }
    void setColor(TColor color, const QString &name)
    {
        m_color = color;
        setAccessibleName(name);
        setToolTip(name);
        update();
    }

signals:
    void stepped(int key);
    void focused();

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), isChecked() ? palette().highlight() : palette().window());
        painter.fillRect(rect().adjusted(3, 3, -3, -3), shown(m_color));
        painter.setPen(palette().dark().color());
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
        if (hasFocus()) {
            // Drawn over the checked mark too, so the focus always shows.
            painter.setPen(QPen(palette().windowText(), 2));
            painter.drawRect(rect().adjusted(1, 1, -1, -1));
        }
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                break;
            emit stepped(event->key());
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Picks the cell; the dialog's default button is not pressed.
            click();
            return;
        default:
            break;
        }
        QAbstractButton::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QAbstractButton::focusInEvent(event);
        emit focused();
    }

private:
    // An empty custom slot (-1) shows as white.
    static QColor shown(TColor color) { return color < 0 ? QColor(Qt::white) : ToQColor(color); }

    TColor m_color = -1;
};

// A grid of colour cells that takes the focus once, as one control: the cell
// that last had the focus is the grid's only Tab stop.
class TColorGrid : public QWidget
{
    Q_OBJECT

public:
    TColorGrid(int count, int columns, bool checkable, QWidget *parent)
        : QWidget(parent)
        , m_group(new QButtonGroup(this))
        , m_columns(columns)
    {
        m_group->setExclusive(checkable);
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        for (int cell = 0; cell < count; ++cell) {
            auto *button = new TColorCell(this);
            button->setCheckable(checkable);
            m_group->addButton(button, cell);
            layout->addWidget(button, cell / columns, cell % columns);
            connect(button, &TColorCell::stepped, this, [this, cell](int key) { step(cell, key); });
            connect(button, &TColorCell::focused, this, [this, cell] { makeTabStop(cell); });
        }
        // The grid's caption and a click between cells reach the current cell.
        setFocusPolicy(Qt::ClickFocus);
        setAccessibleDescription(QStringLiteral("矢印キーで色を移り、スペースか Enter で選びます"));
        makeTabStop(0);
        connect(m_group, &QButtonGroup::idClicked, this, &TColorGrid::picked);
    }

    TColorCell *cell(int index) const { return static_cast<TColorCell *>(m_group->button(index)); }
    int count() const { return int(m_group->buttons().size()); }

signals:
    void picked(int cell);

private:
    void step(int from, int key)
    {
        const int last = count() - 1;
        int to = from;
        switch (key) {
        case Qt::Key_Left: to = std::max(0, from - 1); break;
        case Qt::Key_Right: to = std::min(last, from + 1); break;
        case Qt::Key_Up: to = from >= m_columns ? from - m_columns : from; break;
        case Qt::Key_Down: to = from + m_columns <= last ? from + m_columns : from; break;
        case Qt::Key_Home: to = 0; break;
        case Qt::Key_End: to = last; break;
        }
        cell(to)->setFocus(Qt::OtherFocusReason);
    }

    void makeTabStop(int index)
    {
        if (m_tabStop >= 0)
            cell(m_tabStop)->setFocusPolicy(Qt::ClickFocus);
        m_tabStop = index;
        cell(index)->setFocusPolicy(Qt::StrongFocus);
        setFocusProxy(cell(index));
    }

    QButtonGroup *m_group;
    int m_columns;
    int m_tabStop = -1;
};
