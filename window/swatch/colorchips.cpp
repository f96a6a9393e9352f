#include "colorchips.h"

#include "controls.h"
#include "listbox.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <array>
#include <memory>

void GiveColorChips(TListBox *list)
{
    // Made once: a paint only looks a row's colour up.
    auto colors = std::make_shared<std::array<QColor, NamedColorCount>>();
    for (int row = 0; row < NamedColorCount; ++row)
        (*colors)[std::size_t(row)] = ToQColor(ColorOfRow(row));

    list->setPaintRow([colors](QPainter *painter, const QStyleOptionViewItem &option, int namedColorRow) {
        QStyleOptionViewItem item = option;
        const QWidget *widget = option.widget;
        QStyle *style = widget->style();

        // The background and the selection span the whole row, chip included.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);

        // A small chip, so that the names keep nearly all of the list's
        // narrow width: "mediumseagreen" still shows whole beside it.
        const QRect &row = option.rect;
        const int margin = 3;
        const int side = qMin(8, row.height() - 2 * margin);
        const QRect chip(row.left() + margin, row.top() + (row.height() - side) / 2, side, side);
        if (namedColorRow >= 0 && namedColorRow < NamedColorCount) {
            painter->fillRect(chip, (*colors)[std::size_t(namedColorRow)]);
            // An outline keeps white and near-white chips visible on a white
            // list and on the selection.
            painter->save();
            QColor outline = item.palette.color(QPalette::Text);
            outline.setAlpha(96);
            painter->setPen(outline);
            painter->drawRect(chip.adjusted(0, 0, -1, -1));
            painter->restore();
        }

        // The name after the chip, drawn by the style in the width that is left.
        item.rect.setLeft(chip.right() + 1 + margin + 1);
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    });
}
