// The X clipboard's text read on a connection of its own, for a paste that
// runs off the event loop: Qt's own read holds the event loop for as long
// as the owner takes to hand over the whole text (half a second for 100
// MB), and keeps all of it.
#pragma once

#include <QByteArray>

#include <atomic>
#include <cstddef>
#include <optional>

/// What the clipboard held.
struct TClipboardText
{
    QByteArray Text;   ///< UTF-8, at most the limit
    bool Cut = false;  ///< the clipboard held more than the limit
};

/// The CLIPBOARD selection as UTF-8 text (UTF8_STRING, else Latin-1
/// STRING converted), read over a new connection to $DISPLAY, whole or in
/// the increments of a large transfer, up to `limit` bytes. An empty Text
/// when nobody owns the clipboard or it holds no text; nothing when no X
/// server answers, the owner gives no answer within two seconds, or `stop`
/// is set. Safe to call from any thread.
std::optional<TClipboardText> ReadX11Clipboard(std::size_t limit, const std::atomic<bool> &stop);
