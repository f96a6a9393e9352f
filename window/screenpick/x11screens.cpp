#include "x11screens.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <xcb/randr.h>

namespace {

// The root is copied in strips of about this many bytes: the server copies
// one in a few milliseconds, and our requests wait for no more than that.
constexpr int StripBytes = 4 << 20;


const xcb_screen_t *screenOf(xcb_connection_t *connection, xcb_window_t root, int *number)
{
    int index = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it), ++index) {
        if (it.data->root == root) {
            *number = index;
            return it.data;
        }
    }
    return nullptr;
}

const xcb_visualtype_t *visualOf(const xcb_screen_t *screen, xcb_visualid_t id)
{
    for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem; xcb_depth_next(&depth))
        for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem; xcb_visualtype_next(&visual))
            if (visual.data->visual_id == id)
                return visual.data;
    return nullptr;
}

const xcb_format_t *formatOf(xcb_connection_t *connection, uint8_t depth)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_format_t *formats = xcb_setup_pixmap_formats(setup);
    for (int i = 0; i < xcb_setup_pixmap_formats_length(setup); ++i)
        if (formats[i].depth == depth)
            return &formats[i];
    return nullptr;
}

/// One component of a pixel value under its mask, as 0 .. 255.
int component(uint32_t pixel, uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask & (1u << shift)))
        ++shift;
    const uint32_t top = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return int((value * 255 + top / 2) / top);
}

/// Whether the server carried out a checked request without an error.
bool accepted(xcb_connection_t *connection, xcb_void_cookie_t cookie)
{
    return !TXcbReply<xcb_generic_error_t>(xcb_request_check(connection, cookie));
}

} // namespace

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<TPointerPlace> placeOnRoot(xcb_connection_t *connection, xcb_window_t root, int x, int y)
{
    TPointerPlace place;
    const xcb_screen_t *screen = screenOf(connection, root, &place.screen);
    if (!screen)
        return std::nullopt;
    place.root = root;
    place.position = QPoint(x, y);
    place.screenSize = QSize(screen->width_in_pixels, screen->height_in_pixels);
    return place;
}

std::optional<TPointerPlace> queryPointer(xcb_connection_t *connection, xcb_window_t window)
{
    const TXcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
    if (!reply)
        return std::nullopt;
    return placeOnRoot(connection, reply->root, reply->root_x, reply->root_y);
}

std::unique_ptr<TRootShot> TRootShot::make(xcb_connection_t *connection, xcb_window_t root)
{
    int number = 0;
    const xcb_screen_t *screen = screenOf(connection, root, &number);
    const xcb_visualtype_t *visual = screen ? visualOf(screen, screen->root_visual) : nullptr;
    if (!visual || screen->width_in_pixels == 0 || screen->height_in_pixels == 0)
        return nullptr;
    const xcb_format_t *format = formatOf(connection, screen->root_depth);
    if (!format || format->bits_per_pixel % 8 != 0 || format->bits_per_pixel > 32 || format->scanline_pad % 8 != 0)
        return nullptr;
    std::unique_ptr<TRootShot> shot(new TRootShot(connection, root));
    shot->m_size = QSize(screen->width_in_pixels, screen->height_in_pixels);
    shot->m_stripHeight = std::max(1, StripBytes / (shot->m_size.width() * format->bits_per_pixel / 8));
    shot->m_bitsPerPixel = format->bits_per_pixel;
    shot->m_scanlinePad = format->scanline_pad;
    shot->m_lsbFirst = xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    shot->m_redMask = visual->red_mask;
    shot->m_greenMask = visual->green_mask;
    shot->m_blueMask = visual->blue_mask;

    // Checked, so that a refusal comes back here instead of reaching Qt's
    // event queue as a warning; one round trip answers both.
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    const xcb_void_cookie_t created = xcb_create_pixmap_checked(connection, screen->root_depth, pixmap, root,
                                                                screen->width_in_pixels, screen->height_in_pixels);
    // The copies include the windows on the root, as reading the root does.
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    const uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    const xcb_void_cookie_t madeGc =
        xcb_create_gc_checked(connection, gc, root, XCB_GC_SUBWINDOW_MODE, &includeInferiors);
    if (accepted(connection, created))
        shot->m_pixmap = pixmap;
    if (accepted(connection, madeGc))
        shot->m_gc = gc;
    if (shot->m_pixmap == XCB_NONE || shot->m_gc == XCB_NONE)
        return nullptr;
    return shot;
}

TRootShot::~TRootShot()
{
    if (m_gc != XCB_NONE)
        xcb_free_gc(m_connection, m_gc);
    if (m_pixmap != XCB_NONE)
        xcb_free_pixmap(m_connection, m_pixmap);
    xcb_flush(m_connection);  // the server's memory back at once, not at the next event
}

void TRootShot::take(const QRect &area)
{
    if (m_refused)
        return;
    const QRegion missing = QRegion(area.intersected(QRect(QPoint(0, 0), m_size))) - m_taken;
    if (missing.isEmpty())
        return;
    std::vector<xcb_void_cookie_t> copies;
    for (const QRect &part : missing)
        copies.push_back(xcb_copy_area_checked(m_connection, m_root, m_pixmap, m_gc, int16_t(part.x()),
                                               int16_t(part.y()), int16_t(part.x()), int16_t(part.y()),
                                               uint16_t(part.width()), uint16_t(part.height())));
    for (const xcb_void_cookie_t copy : copies)
        if (!accepted(m_connection, copy))
            m_refused = true;
    // Never copied again, even when refused: by now the loupe may be there.
    m_taken += missing;
}

bool TRootShot::takeNextStrip()
{
    if (m_nextStrip >= m_size.height())
        return false;
    const QRect strip(0, m_nextStrip, m_size.width(), std::min(m_stripHeight, m_size.height() - m_nextStrip));
    m_nextStrip += strip.height();
    take(strip);
    return true;
}

QImage TRootShot::around(const TPointerPlace &place, int radius) const
{
    const int side = 2 * radius + 1;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRect wanted(place.position - QPoint(radius, radius), QSize(side, side));
    const QRect area = wanted.intersected(QRect(QPoint(0, 0), m_size));
    if (area.isEmpty() || m_refused)
        return image;
    xcb_generic_error_t *error = nullptr;
    const TXcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_pixmap, int16_t(area.x()), int16_t(area.y()),
                      uint16_t(area.width()), uint16_t(area.height()), ~0u),
        &error));
    const TXcbReply<xcb_generic_error_t> refusal(error);
    // Each row of the area is padded on its own.
    const int stride = (area.width() * m_bitsPerPixel + m_scanlinePad - 1) / m_scanlinePad * m_scanlinePad / 8;
    if (!reply || stride * area.height() > xcb_get_image_data_length(reply.get()))
        return image;
    const int bytes = m_bitsPerPixel / 8;
    const uint8_t *data = xcb_get_image_data(reply.get());
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const uint8_t *at = data + size_t(y) * size_t(stride) + size_t(x) * size_t(bytes);
            uint32_t pixel = 0;
            for (int b = 0; b < bytes; ++b)
                pixel |= uint32_t(at[m_lsbFirst ? b : bytes - 1 - b]) << (8 * b);
            if (!m_taken.contains(area.topLeft() + QPoint(x, y)))
                continue;
            image.setPixel(area.x() - wanted.x() + x, area.y() - wanted.y() + y,
                           qRgb(component(pixel, m_redMask), component(pixel, m_greenMask),
                                component(pixel, m_blueMask)));
        }
    }
    return image;
}

bool isXWayland(xcb_connection_t *connection)
{
    static const char name[] = "XWAYLAND";
    const TXcbReply<xcb_query_extension_reply_t> extension(xcb_query_extension_reply(
        connection, xcb_query_extension(connection, uint16_t(std::strlen(name)), name), nullptr));
    if (extension && extension->present)
        return true;
    // A request of an extension the server lacks would close the connection.
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!randr || !randr->present)
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const TXcbReply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, screen->root), nullptr));
    if (!resources)
        return false;
    const xcb_randr_output_t *outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources.get()); ++i) {
        const TXcbReply<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
            connection, xcb_randr_get_output_info(connection, outputs[i], resources->config_timestamp), nullptr));
        if (!output)
            continue;
        const char *outputName = reinterpret_cast<const char *>(xcb_randr_get_output_info_name(output.get()));
        const int length = xcb_randr_get_output_info_name_length(output.get());
        if (length >= int(std::strlen(name)) && std::strncmp(outputName, name, std::strlen(name)) == 0)
            return true;
    }
    return false;
}
