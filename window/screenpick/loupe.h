// The loupe shown while picking on X11: the pixels around the pointer,
// magnified, with the centre pixel (the one a click takes) framed and its
// #RRGGBB below. A frameless window beside the pointer that takes neither
// the focus nor clicks, and is always placed clear of the pixels it shows.
#pragma once

#include "colour.h"

#include <QImage>
#include <QWidget>

#include <optional>

class QLabel;
class QPainter;
class QScreen;

class TLoupe : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLoupe)

public:
    static constexpr int Radius = 5;  ///< 11 x 11 pixels
    static constexpr int Zoom = 8;
    static constexpr int Side = (2 * Radius + 1) * Zoom;  ///< the magnified pixels' square

    /// Paints `pixels` (2 Radius + 1 square, transparent outside the screen)
    /// magnified into the Side square at `corner`, with the centre pixel
    /// framed in black and white; what a loupe drawn elsewhere shares.
    static void paintPixels(QPainter &painter, QPoint corner, const QImage &pixels);

    TLoupe();

    /// Shows `pixels` (2 Radius + 1 square, transparent outside the screen)
    /// beside the pointer at `pointer` (device-independent) on `screen`.
    void showAt(QScreen *screen, const QPointF &pointer, const QImage &pixels);
    /// How far from the pointer any of the loupe can be, with room for a
    /// shadow a compositor may draw around it, in device-independent pixels.
    int reach() const;
    /// The framed pixel's colour, if it is on the screen.
    std::optional<TColor> centre() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_pixels;
    QLabel *m_text;
};
