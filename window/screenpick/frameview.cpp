#include "frameview.h"

#include <algorithm>
#include <cmath>

namespace {

/// Shown pixel to buffer pixel for an upright buffer of shown size `size`:
/// the inverse of the output's transform (a quarter turn anticlockwise and
/// its mirrors, as wl_output names them).
QPoint unTransform(int transform, QPoint p, QSize size)
{
    const int w = size.width();
    const int h = size.height();
    switch (transform) {
    case 1: return {p.y(), w - 1 - p.x()};              // 90
    case 2: return {w - 1 - p.x(), h - 1 - p.y()};      // 180
    case 3: return {h - 1 - p.y(), p.x()};              // 270
    case 4: return {w - 1 - p.x(), p.y()};              // flipped
    case 5: return {p.y(), p.x()};                      // flipped 90
    case 6: return {p.x(), h - 1 - p.y()};              // flipped 180
    case 7: return {h - 1 - p.y(), w - 1 - p.x()};      // flipped 270
    default: return p;
    }
}

uint32_t word(const unsigned char *pixel)
{
    return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16 | uint32_t(pixel[3]) << 24;
}

} // namespace

bool IsReadableFormat(uint32_t format)
{
    using namespace ShmFormat;
    switch (format) {
    case Argb8888: case Xrgb8888: case Abgr8888: case Xbgr8888:
    case Argb2101010: case Xrgb2101010: case Abgr2101010: case Xbgr2101010:
        return true;
    default:
        return false;
    }
}

bool IsReadableFrame(uint32_t format, uint32_t width, uint32_t height, uint64_t stride)
{
    return IsReadableFormat(format) && width >= 1 && width <= MaxFrameSide && height >= 1
           && height <= MaxFrameSide && stride >= uint64_t(width) * 4 && stride <= uint64_t(MaxFrameSide) * 4;
}

int TenBitsToEight(uint32_t n)
{
    return int((n * 255 * 2 + 1023) / (2 * 1023));
}

TColor PixelColour(uint32_t format, const unsigned char *pixel)
{
    using namespace ShmFormat;
    const uint32_t v = word(pixel);
    switch (format) {
    case Abgr8888:
    case Xbgr8888:
        return MakeColor(v & 0xff, v >> 8 & 0xff, v >> 16 & 0xff);
    case Argb2101010:
    case Xrgb2101010:
        return MakeColor(TenBitsToEight(v >> 20 & 0x3ff), TenBitsToEight(v >> 10 & 0x3ff), TenBitsToEight(v & 0x3ff));
    case Abgr2101010:
    case Xbgr2101010:
        return MakeColor(TenBitsToEight(v & 0x3ff), TenBitsToEight(v >> 10 & 0x3ff), TenBitsToEight(v >> 20 & 0x3ff));
    default:  // ARGB8888, XRGB8888
        return MakeColor(v >> 16 & 0xff, v >> 8 & 0xff, v & 0xff);
    }
}

QSize TFrameView::shownSize() const
{
    return (transform & 1) ? buffer.transposed() : buffer;
}

QPoint TFrameView::shownPixelAt(QPointF surface) const
{
    const QSize shown = shownSize();
    if (shown.isEmpty() || logical.isEmpty())
        return {};
    // Device pixels per surface unit, which need not be whole (a 1.5 scale).
    const int x = int(std::floor(surface.x() * shown.width() / logical.width()));
    const int y = int(std::floor(surface.y() * shown.height() / logical.height()));
    return {std::clamp(x, 0, shown.width() - 1), std::clamp(y, 0, shown.height() - 1)};
}

QPointF TFrameView::surfacePointOf(QPoint shown) const
{
    const QSize size = shownSize();
    if (size.isEmpty())
        return {};
    return {(shown.x() + 0.5) * logical.width() / size.width(), (shown.y() + 0.5) * logical.height() / size.height()};
}

std::optional<QPoint> TFrameView::bufferPixelOf(QPoint shown) const
{
    const QSize size = shownSize();
    if (shown.x() < 0 || shown.y() < 0 || shown.x() >= size.width() || shown.y() >= size.height())
        return std::nullopt;
    QPoint p = unTransform(transform, shown, size);
    if (yInvert)
        p.setY(buffer.height() - 1 - p.y());
    return p;
}

int TFrameView::bufferTransform() const
{
    if (!yInvert)
        return transform;
    // The transform that takes the rows, read from the bottom, to where the
    // output showed them: the one that maps three corners as this view does.
    const QSize size = shownSize();
    const QPoint corners[] = {{0, 0}, {size.width() - 1, 0}, {0, size.height() - 1}};
    for (int candidate = 0; candidate < 8; ++candidate) {
        TFrameView upright{buffer, candidate, false, logical};
        if (upright.shownSize() != size)
            continue;
        bool same = true;
        for (const QPoint &corner : corners)
            same = same && upright.bufferPixelOf(corner) == bufferPixelOf(corner);
        if (same)
            return candidate;
    }
    return transform;
}
