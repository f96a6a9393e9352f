#include "loupe.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// From the pointer to the loupe's nearer corner: far more than Radius pixels
// at any density, so the loupe is never among the pixels it shows.
constexpr int Gap = 24;
constexpr int ShadowRoom = 32;

} // namespace

TLoupe::TLoupe()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                           | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint)
    , m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("screenPickerLoupe"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    m_text->setObjectName(QStringLiteral("loupeColor"));
    m_text->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, Side + 4, 2, 2);
    layout->addWidget(m_text);
    setFixedSize(Side + 4, Side + 4 + m_text->sizeHint().height() + 2);
}

std::optional<TColor> TLoupe::centre() const
{
    if (m_pixels.isNull())
        return std::nullopt;
    const QRgb rgb = m_pixels.pixel(Radius, Radius);
    if (qAlpha(rgb) == 0)
        return std::nullopt;
    return MakeColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

int TLoupe::reach() const
{
    return Gap + std::max(width(), height()) + ShadowRoom;
}

void TLoupe::showAt(QScreen *screen, const QPointF &pointer, const QImage &pixels)
{
    m_pixels = pixels;
    const auto colour = centre();
    const QString text = colour ? QString::fromStdString(ColorToHtml(*colour)) : QString();
    m_text->setText(text);
    setAccessibleName(text);
    // Below and to the right of the pointer, or on the other side where the
    // screen ends.
    const QRect bounds = screen->geometry();
    const QPoint at = pointer.toPoint();
    int x = at.x() + Gap;
    int y = at.y() + Gap;
    if (x + width() > bounds.right() + 1)
        x = at.x() - Gap - width();
    if (y + height() > bounds.bottom() + 1)
        y = at.y() - Gap - height();
    if (this->screen() != screen) {
        // Onto another X screen Qt makes the window anew, unmapped.
        if (!this->screen()->virtualSiblings().contains(screen))
            hide();
        setScreen(screen);
    }
    move(x, y);
    if (!isVisible())
        show();
    update();
}

void TLoupe::paintPixels(QPainter &painter, QPoint corner, const QImage &pixels)
{
    const QRect area(corner, QSize(Side, Side));
    // Pixels off the screen: a neutral grey.
    painter.fillRect(area, QColor(128, 128, 128));
    // Each pixel a square of its own, which a scaled image drawn on a
    // painter of fractional or doubled density would not keep exactly.
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb rgb = pixels.pixel(x, y);
            if (qAlpha(rgb) != 0)
                painter.fillRect(QRect(area.x() + x * Zoom, area.y() + y * Zoom, Zoom, Zoom), QColor(rgb));
        }
    }
    const QRect framed(area.x() + Radius * Zoom, area.y() + Radius * Zoom, Zoom, Zoom);
    painter.setPen(Qt::black);
    painter.drawRect(framed.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::white);
    painter.drawRect(framed.adjusted(-2, -2, 1, 1));
}

void TLoupe::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPixels(painter, QPoint(2, 2), m_pixels);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
