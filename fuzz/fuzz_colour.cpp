// Fuzzes the HTML text parser and the hexadecimal conversion against a
// reference computation written here, independently of the library: every
// input either fails with EConvertError or gives exactly the reference value.
#include "colour.h"
#include "require.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

// The reference: strip leading zeros, then at most eight significant digits,
// each looked up in a digit string; the 32-bit pattern as a signed value.
std::optional<std::int32_t> referenceHex(const std::string &text)
{
    static const char digits[] = "0123456789abcdef0123456789ABCDEF";
    if (text.empty())
        return std::nullopt;
    std::size_t first = text.find_first_not_of('0');
    if (first == std::string::npos)
        first = text.size();
    if (text.size() - first > 8)
        return std::nullopt;  // more than 32 bits, or a non-digit among them
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const void *hit = c ? std::memchr(digits, c, 32) : nullptr;
        if (!hit)
            return std::nullopt;
        value = (value << 4) | (std::uint64_t(static_cast<const char *>(hit) - digits) & 15);
    }
    const std::uint32_t bits = std::uint32_t(value);
    return bits >= 0x80000000u ? -std::int32_t(~bits) - 1 : std::int32_t(bits);
}

std::optional<TColor> referenceHtml(const std::string &text)
{
    const auto pair = [&text](std::size_t at) { return at < text.size() ? text.substr(at, 2) : std::string(); };
    const auto blue = referenceHex(pair(5));
    const auto green = referenceHex(pair(3));
    const auto red = referenceHex(pair(1));
    if (!blue || !green || !red)
        return std::nullopt;
    return TColor(*red | (*green << 8) | (*blue << 16));
}

template<typename Function>
std::optional<std::int32_t> attempt(Function f)
{
    try {
        return f();
    } catch (const EConvertError &error) {
        if (std::string(error.what()) != ConvertErrorMessage)
            std::abort();
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);

    require(attempt([&] { return HexToInt(text); }) == referenceHex(text));
    require(attempt([&] { return HtmlToColor(text); }) == referenceHtml(text));

    if (size >= 4) {
        std::uint32_t word;
        std::memcpy(&word, data, 4);
        // A colour's HTML text converts back to the colour, top byte cleared.
        const TColor color = TColor(word);
        require(HtmlToColor(ColorToHtml(color)) == (color & 0xFFFFFF));
        // Any 32-bit value as 1 to 8 hex digits, in either case.
        const int width = 1 + (size > 4 ? data[4] % 8 : 7);
        char written[16];
        std::snprintf(written, sizeof written, (size > 5 && (data[5] & 1)) ? "%0*x" : "%0*X", width, word);
        require(HexToInt(written) == std::int32_t(word));
    }
    return 0;
}
