// The name list's rows, each with a small swatch of its colour before the
// name. Only the drawing changes: a row keeps its text, its height and
// everything the list does with it.
#pragma once

#include "colour.h"

#include <QColor>
#include <QStyledItemDelegate>

#include <array>

class TColorChips : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TColorChips)

public:
    /// For a list whose row numbers are NamedColors rows.
    explicit TColorChips(QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // Made once: a paint only looks a row's colour up.
    std::array<QColor, NamedColorCount> m_colors;
};
