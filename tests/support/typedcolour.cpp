#include "typedcolour.h"

#include <algorithm>
#include <cstdint>

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

int hexDigitValue(char c)
{
    constexpr std::string_view digits = "0123456789abcdef";
    const std::size_t at = c ? digits.find(asciiLower(c)) : std::string_view::npos;
    return at == std::string_view::npos ? -1 : int(at);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

// Every character a hexadecimal digit, each taken `repeat` times (2 for
// "#RGB"); how many digits there are is for the caller to check.
std::optional<TColor> parseHexDigits(std::string_view digits, int repeat)
{
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        for (int i = 0; i < repeat; ++i)
            value = value * 16 + std::uint32_t(digit);
    }
    return MakeColor(int(value >> 16), int(value >> 8), int(value));
}

// "(r, g, b)" after the letters "rgb": spaces and tabs around each number,
// one to three decimal digits each, nothing after the ")".
std::optional<TColor> parseRgbArguments(std::string_view text)
{
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
    };
    if (text.empty() || text[at++] != '(')
        return std::nullopt;
    int component[3];
    for (int i = 0; i < 3; ++i) {
        skipBlanks();
        int value = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        skipBlanks();
        if (at >= text.size() || text[at++] != (i < 2 ? ',' : ')'))
            return std::nullopt;
        component[i] = value;
    }
    if (at != text.size())
        return std::nullopt;
    return MakeColor(component[0], component[1], component[2]);
}

} // namespace

std::optional<TColor> ParseTypedColor(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(blanks) - first + 1);

    if (text.front() == '#') {
        if (text.size() == 7)
            return parseHexDigits(text.substr(1), 1);
        if (text.size() == 4)
            return parseHexDigits(text.substr(1), 2);
        return std::nullopt;
    }
    if (text.size() == 6) {
        if (const auto color = parseHexDigits(text, 1))
            return color;
    }
    if (text.size() > 3 && equalsIgnoringAsciiCase(text.substr(0, 3), "rgb"))
        return parseRgbArguments(text.substr(3));
    for (int row = 0; row < NamedColorCount; ++row) {
        std::string_view name = NamedColors[std::size_t(row)].Name;
        if (equalsIgnoringAsciiCase(text, name))
            return ColorOfRow(row);
        if (name.ends_with(" *") && equalsIgnoringAsciiCase(text, name.substr(0, name.size() - 2)))
            return ColorOfRow(row);
    }
    return std::nullopt;
}
