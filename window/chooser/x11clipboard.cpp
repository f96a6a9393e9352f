#include "x11clipboard.h"

#include "x11screens.h"

#include <QString>

#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstring>

namespace {

constexpr auto Patience = std::chrono::seconds(2);
// One property read at most this much (in 32-bit units): a value set whole
// may be large.
constexpr std::uint32_t ReadUnits = 256 * 1024;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const TXcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
                              nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

class TReader
{
public:
    TReader(std::size_t limit, const std::atomic<bool> &stop)
        : m_limit(limit)
        , m_stop(stop)
    {
    }
    ~TReader()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    std::optional<TClipboardText> read()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return std::nullopt;
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        if (!screen)
            return std::nullopt;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const xcb_atom_t clipboard = atom(m_connection, "CLIPBOARD");
        m_property = atom(m_connection, "TINTARO_PASTE");
        m_incr = atom(m_connection, "INCR");
        const xcb_atom_t utf8 = atom(m_connection, "UTF8_STRING");
        for (const xcb_atom_t target : {utf8, xcb_atom_t(XCB_ATOM_STRING)}) {
            xcb_convert_selection(m_connection, m_window, clipboard, target, m_property, XCB_CURRENT_TIME);
            xcb_flush(m_connection);
            const auto notified = waitFor(XCB_SELECTION_NOTIFY);
            if (!notified)
                return std::nullopt;
            if (reinterpret_cast<const xcb_selection_notify_event_t *>(notified->get())->property == XCB_ATOM_NONE)
                continue;  // refused: not this target, or nobody owns the clipboard
            auto text = take();
            if (text && target == XCB_ATOM_STRING)
                text->Text = QString::fromLatin1(text->Text).toUtf8();
            return text;
        }
        return TClipboardText{};
    }

private:
    using TEvent = TXcbReply<xcb_generic_event_t>;

    // The next event of the kind asked for (SelectionNotify, or a new
    // value of our property), or nothing when the owner has gone quiet or
    // a stop is asked for.
    std::optional<TEvent> waitFor(std::uint8_t kind)
    {
        const auto deadline = std::chrono::steady_clock::now() + Patience;
        while (!m_stop.load()) {
            while (TEvent event{xcb_poll_for_event(m_connection)}) {
                const std::uint8_t type = event->response_type & 0x7F;
                if (type != kind)
                    continue;
                if (type == XCB_PROPERTY_NOTIFY) {
                    const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event.get());
                    if (change->atom != m_property || change->state != XCB_PROPERTY_NEW_VALUE)
                        continue;
                }
                return event;
            }
            if (xcb_connection_has_error(m_connection) || std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, 50);
        }
        return std::nullopt;
    }

    // The property's value, deleted once read; `incr` tells of an
    // increment to come.
    struct TChunk
    {
        QByteArray Bytes;
        bool Incr = false;
        bool More = false;  // bytes beyond what was read
    };
    std::optional<TChunk> readProperty(std::size_t room)
    {
        TChunk chunk;
        std::uint32_t offset = 0;
        for (;;) {
            const std::uint32_t units = std::min<std::uint32_t>(ReadUnits, std::uint32_t((room + 3) / 4));
            const TXcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                m_connection,
                xcb_get_property(m_connection, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, offset, units),
                nullptr));
            if (!reply)
                return std::nullopt;
            if (reply->type == m_incr) {
                chunk.Incr = true;
                break;
            }
            const int length = xcb_get_property_value_length(reply.get());
            chunk.Bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
            offset += std::uint32_t(length) / 4;
            room -= std::min<std::size_t>(room, std::size_t(length));
            if (reply->bytes_after == 0)
                break;
            if (room == 0) {
                chunk.More = true;
                break;
            }
        }
        // Deleting the property asks the owner of a large text for its
        // next piece.
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return chunk;
    }

    std::optional<TClipboardText> take()
    {
        TClipboardText text;
        auto first = readProperty(m_limit);
        if (!first)
            return std::nullopt;
        if (!first->Incr) {
            text.Text = first->Bytes.left(qsizetype(m_limit));
            text.Cut = first->More || std::size_t(first->Bytes.size()) > m_limit;
            return text;
        }
        // Piece by piece until an empty piece ends the text. Past the limit
        // the pieces are still taken, unkept, to the end: an owner left in
        // the middle of its transfer may give up its clipboard.
        for (;;) {
            // An owner that stops before the end gives no text: part of it
            // would pass for the whole.
            if (!waitFor(XCB_PROPERTY_NOTIFY))
                return std::nullopt;
            const std::size_t room = text.Cut ? 0 : m_limit - std::size_t(text.Text.size());
            auto piece = readProperty(room);
            if (!piece)
                return std::nullopt;
            if (piece->Bytes.isEmpty() && !piece->More)
                return text;
            if (text.Cut)
                continue;
            text.Text.append(piece->Bytes);
            if (piece->More || std::size_t(text.Text.size()) >= m_limit) {
                text.Text.truncate(qsizetype(m_limit));
                text.Cut = true;
            }
        }
    }

    std::size_t m_limit;
    const std::atomic<bool> &m_stop;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
};

} // namespace

std::optional<TClipboardText> ReadX11Clipboard(std::size_t limit, const std::atomic<bool> &stop)
{
    return TReader(limit, stop).read();
}
