// The arithmetic of a frozen output frame, free of any connection: which
// pixel of the frame as the compositor copied it lies under a point of an
// overlay on that output, and what colour a pixel of each of the frame's
// formats holds. The screencopy pick (layerpick.h) relies on it for the
// exact pixel, whatever the output's scale, transform and format.
#pragma once

#include "colour.h"

#include <QPoint>
#include <QSize>
#include <QSizeF>

#include <cstdint>
#include <optional>

/// The frame formats a pick reads, by their wl_shm codes.
namespace ShmFormat {
constexpr uint32_t Argb8888 = 0;
constexpr uint32_t Xrgb8888 = 1;
constexpr uint32_t Abgr8888 = 0x34324241;
constexpr uint32_t Xbgr8888 = 0x34324258;
constexpr uint32_t Argb2101010 = 0x30335241;
constexpr uint32_t Xrgb2101010 = 0x30335258;
constexpr uint32_t Abgr2101010 = 0x30334241;
constexpr uint32_t Xbgr2101010 = 0x30334258;
}  // namespace ShmFormat

/// True for the formats PixelColour() reads: 32 bits a pixel, 8 or 10 bits
/// a channel, red first or blue first.
bool IsReadableFormat(uint32_t format);

/// The longest side of a frame the pick takes: beyond any output made (a
/// 16K panel is 15360 wide), and small enough that a pixel's offset in the
/// frame stays within an int.
constexpr uint32_t MaxFrameSide = 16384;

/// True for a frame the pick can hold and read as the compositor describes
/// it: a format IsReadableFormat() accepts, 1 .. MaxFrameSide pixels a side,
/// and rows of at least four bytes a pixel, at most 4 × MaxFrameSide long.
bool IsReadableFrame(uint32_t format, uint32_t width, uint32_t height, uint64_t stride);

/// A 10-bit channel value 0 .. 1023 in 8 bits: n × 255 / 1023 rounded to
/// the nearest, halves up.
int TenBitsToEight(uint32_t n);

/// The colour of the pixel whose four bytes (little-endian, as wl_shm lays
/// them out) start at `pixel`, in `format`, which IsReadableFormat() accepts.
TColor PixelColour(uint32_t format, const unsigned char *pixel);

/// Where one output's frame sits under the overlay shown on that output.
struct TFrameView
{
    QSize buffer;        ///< the frame as copied, in device pixels, before its transform
    int transform = 0;   ///< the frame's wl_output transform, 0 .. 7: the output's, unless the compositor turned it
    bool yInvert = false;  ///< the frame's rows run from the bottom up
    QSizeF logical;      ///< the overlay's size in surface coordinates

    /// The frame as the output shows it: the buffer's size, its sides swapped
    /// by a quarter turn.
    QSize shownSize() const;
    /// The shown device pixel under `surface` (a point of the overlay), kept
    /// within the output.
    QPoint shownPixelAt(QPointF surface) const;
    /// The centre of the shown device pixel `shown`, in surface coordinates.
    QPointF surfacePointOf(QPoint shown) const;
    /// The pixel of the buffer (row 0 as the buffer holds it) that the output
    /// shows at `shown`, or nothing outside the output.
    std::optional<QPoint> bufferPixelOf(QPoint shown) const;
    /// The wl_surface buffer transform under which the buffer, as copied,
    /// shows on the overlay as it did on the output.
    int bufferTransform() const;
};
