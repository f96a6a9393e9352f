#include "x11screens.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstring>

#include <xcb/randr.h>

namespace {

struct TFree
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using TReply = std::unique_ptr<T, TFree>;

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
    const TReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
    if (!reply)
        return std::nullopt;
    return placeOnRoot(connection, reply->root, reply->root_x, reply->root_y);
}

std::unique_ptr<TRootShot> TRootShot::take(xcb_connection_t *connection, xcb_window_t root)
{
    int number = 0;
    const xcb_screen_t *screen = screenOf(connection, root, &number);
    const xcb_visualtype_t *visual = screen ? visualOf(screen, screen->root_visual) : nullptr;
    if (!visual || screen->width_in_pixels == 0 || screen->height_in_pixels == 0)
        return nullptr;
    std::unique_ptr<TRootShot> shot(new TRootShot);
    shot->m_reply.reset(xcb_get_image_reply(connection,
                                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0,
                                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                                            nullptr));
    if (!shot->m_reply)
        return nullptr;
    const xcb_format_t *format = formatOf(connection, shot->m_reply->depth);
    if (!format || format->bits_per_pixel % 8 != 0 || format->bits_per_pixel > 32 || format->scanline_pad % 8 != 0)
        return nullptr;
    shot->m_size = QSize(screen->width_in_pixels, screen->height_in_pixels);
    shot->m_bytes = format->bits_per_pixel / 8;
    const int pad = format->scanline_pad;
    shot->m_stride = (shot->m_size.width() * format->bits_per_pixel + pad - 1) / pad * pad / 8;
    if (int64_t(shot->m_stride) * shot->m_size.height() > xcb_get_image_data_length(shot->m_reply.get()))
        return nullptr;
    shot->m_lsbFirst = xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    shot->m_redMask = visual->red_mask;
    shot->m_greenMask = visual->green_mask;
    shot->m_blueMask = visual->blue_mask;
    return shot;
}

QImage TRootShot::around(const TPointerPlace &place, int radius) const
{
    const int side = 2 * radius + 1;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QRect wanted(place.position - QPoint(radius, radius), QSize(side, side));
    const QRect area = wanted.intersected(QRect(QPoint(0, 0), m_size));
    const uint8_t *data = xcb_get_image_data(m_reply.get());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const uint8_t *at = data + size_t(y) * size_t(m_stride) + size_t(x) * size_t(m_bytes);
            uint32_t pixel = 0;
            for (int b = 0; b < m_bytes; ++b)
                pixel |= uint32_t(at[m_lsbFirst ? b : m_bytes - 1 - b]) << (8 * b);
            image.setPixel(x - wanted.x(), y - wanted.y(),
                           qRgb(component(pixel, m_redMask), component(pixel, m_greenMask),
                                component(pixel, m_blueMask)));
        }
    }
    return image;
}

bool isXWayland(xcb_connection_t *connection)
{
    static const char name[] = "XWAYLAND";
    const TReply<xcb_query_extension_reply_t> extension(xcb_query_extension_reply(
        connection, xcb_query_extension(connection, uint16_t(std::strlen(name)), name), nullptr));
    if (extension && extension->present)
        return true;
    // A request of an extension the server lacks would close the connection.
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
    if (!randr || !randr->present)
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const TReply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, screen->root), nullptr));
    if (!resources)
        return false;
    const xcb_randr_output_t *outputs = xcb_randr_get_screen_resources_current_outputs(resources.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources.get()); ++i) {
        const TReply<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
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
