// Fuzzes the finder of a pasted text's colours for the properties the
// chooser relies on: it answers every input (the sanitizers watch for the
// rest); every colour it gives stands in the text and reads alone to that
// colour (a GIMP palette line: its three numbers); no "#" hex colour or
// colour function that reads alone as an opaque colour is left out where no
// comment can hide it; and a stop asked for ends the reading.
#include "csstext.h"
#include "palettescan.h"
#include "require.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

bool isWordByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

bool gimpTriple(std::string_view span, TColor color)
{
    int values[3] = {-1, -1, -1};
    int index = 0;
    for (std::size_t i = 0; i < span.size() && index < 3;) {
        if (span[i] == ' ' || span[i] == '\t') {
            ++i;
            continue;
        }
        int value = 0;
        std::size_t digits = 0;
        while (i < span.size() && span[i] >= '0' && span[i] <= '9') {
            value = value * 10 + (span[i++] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3)
            return false;
        values[index++] = value;
    }
    return index == 3 && MakeColor(values[0], values[1], values[2]) == color;
}

bool isOpaque(std::string_view text)
{
    return ParseCssColor(text).Status == TCssStatus::Color;
}

// The opaque "#" hex colours and colour functions in text[0, end) that
// stand alone, as their definitions say, each by its offset.
template <typename Found>
void eachStandingColour(std::string_view text, std::size_t end, Found found)
{
    constexpr std::array<std::string_view, 10> Functions = {"rgb(", "rgba(", "hsl(",   "hsla(",   "hwb(",
                                                            "lab(", "lch(",  "oklab(", "oklch(",  "color("};
    for (std::size_t at = 0; at < end; ++at) {
        if (at > 0 && isWordByte(static_cast<unsigned char>(text[at - 1])))
            continue;
        const bool fragment = at >= 4 && text[at - 1] == '(' && (text[at - 4] | 0x20) == 'u'
            && (text[at - 3] | 0x20) == 'r' && (text[at - 2] | 0x20) == 'l';
        if (text[at] == '#' && (at == 0 || text[at - 1] != '&') && !fragment) {
            std::size_t digits = 0;
            while (at + 1 + digits < text.size() && isHexDigit(text[at + 1 + digits]))
                ++digits;
            const std::size_t after = at + 1 + digits;
            if (after <= end && (after == text.size() || !isWordByte(static_cast<unsigned char>(text[after])))
                && isOpaque(text.substr(at, 1 + digits)))
                found(at);
            continue;
        }
        for (std::string_view function : Functions) {
            if (text.size() - at < function.size())
                continue;
            bool same = true;
            for (std::size_t i = 0; i < function.size() && same; ++i)
                same = (text[at + i] | 0x20) == function[i] || text[at + i] == function[i];
            if (!same)
                continue;
            const std::size_t close = text.find_first_of("()\n", at + function.size());
            if (close != std::string_view::npos && close < end && text[close] == ')'
                && close - (at + function.size()) < 512 && isOpaque(text.substr(at, close + 1 - at)))
                found(at);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const TPaletteScan scan = FindPaletteColors(text, std::numeric_limits<std::size_t>::max());
    require(!scan.Stopped && scan.Beyond == 0);
    // A GIMP palette's first line is "GIMP Palette", blanks after it aside.
    std::string_view first = text.substr(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    first = first.substr(0, first.find('\n'));
    while (!first.empty() && (first.back() == ' ' || first.back() == '\t' || first.back() == '\r'))
        first.remove_suffix(1);
    const bool gimp = first == "GIMP Palette";

    std::size_t mapped = 0;
    std::size_t previous = 0;
    for (const TFoundColor &colour : scan.Colors) {
        require(colour.Offset >= previous && colour.Length > 0 && colour.Offset + colour.Length <= size);
        previous = colour.Offset + colour.Length;
        const std::string_view span = text.substr(colour.Offset, colour.Length);
        if (gimp) {
            require(gimpTriple(span, colour.Color) && !colour.GamutMapped);
            continue;
        }
        const TCssColor read = ParseCssColor(span);
        require(read.Status == TCssStatus::Color && read.Color == colour.Color
                && read.GamutMapped == colour.GamutMapped);
        mapped += colour.GamutMapped;
    }
    require(scan.Mapped == mapped);

    // Before the first "/*" that a "*/" closes, no comment can hide a colour.
    if (!gimp) {
        const std::size_t open = text.find("/*");
        const std::size_t close = text.rfind("*/");
        const std::size_t end =
            open != std::string_view::npos && close != std::string_view::npos && close >= open + 2 ? open : size;
        std::size_t next = 0;
        eachStandingColour(text, end, [&](std::size_t at) {
            while (next < scan.Colors.size() && scan.Colors[next].Offset < at)
                ++next;
            require(next < scan.Colors.size() && scan.Colors[next].Offset == at);
        });
    }

    // Repeats skipped: the same colours, each once, in the same order.
    const TPaletteScan once = FindPaletteColors(text, std::numeric_limits<std::size_t>::max(), TRepeats::Skip);
    require(once.Colors.size() + once.Repeats == scan.Colors.size() && once.Transparent == scan.Transparent);

    // A stop asked for at once ends the reading before its first colour.
    const TPaletteScan stopped = FindPaletteColors(text, 16, TRepeats::Keep, [] { return false; });
    require(stopped.Colors.empty() && (stopped.Stopped || scan.Colors.empty()));
    return 0;
}
