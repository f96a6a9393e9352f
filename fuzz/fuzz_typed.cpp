// Fuzzes the chooser's first reader of typed colours, which the tests of
// the CSS reader take as their reference, against a reference written here,
// independently of the library: every input either gives nothing or exactly
// the reference's colour, and every text the program itself shows for a
// colour reads back as that colour.
#include "colour.h"
#include "require.h"
#include "typedcolour.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

const char upperLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char lowerLetters[] = "abcdefghijklmnopqrstuvwxyz";
const std::string hexDigits = "0123456789abcdef";

std::string lowered(std::string text)
{
    for (char &c : text) {
        const void *hit = c ? std::memchr(upperLetters, c, 26) : nullptr;
        if (hit)
            c = lowerLetters[static_cast<const char *>(hit) - upperLetters];
    }
    return text;
}

// Lower-case hexadecimal digits only, read by their place in a digit string.
std::uint32_t hexValue(const std::string &digits)
{
    std::uint32_t value = 0;
    for (char c : digits)
        value = value * 16 + std::uint32_t(hexDigits.find(c));
    return value;
}

TColor fromRgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return TColor(red + 256 * green + 65536 * blue);
}

// Every accepted name, lower case, with its colour from its own HTML text.
const std::map<std::string, TColor> &names()
{
    static const std::map<std::string, TColor> table = [] {
        std::map<std::string, TColor> map;
        for (const TNamedColor &row : NamedColors) {
            const std::string html = lowered(std::string(row.Html.substr(1)));
            const TColor color = fromRgb(hexValue(html.substr(0, 2)), hexValue(html.substr(2, 2)),
                                         hexValue(html.substr(4, 2)));
            const std::string name = lowered(std::string(row.Name));
            map[name] = color;
            if (name.size() > 2 && name.compare(name.size() - 2, 2, " *") == 0)
                map[name.substr(0, name.size() - 2)] = color;
        }
        return map;
    }();
    return table;
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string trimmed(const std::string &text, const char *blanks)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<TColor> reference(const std::string &input)
{
    const std::string text = lowered(trimmed(input, " \t\r\n"));
    const auto allHex = [](const std::string &s) { return s.find_first_not_of(hexDigits) == std::string::npos; };
    if (text.size() == 7 && text[0] == '#' && allHex(text.substr(1)))
        return fromRgb(hexValue(text.substr(1, 2)), hexValue(text.substr(3, 2)), hexValue(text.substr(5, 2)));
    if (text.size() == 6 && allHex(text))
        return fromRgb(hexValue(text.substr(0, 2)), hexValue(text.substr(2, 2)), hexValue(text.substr(4, 2)));
    if (text.size() == 4 && text[0] == '#' && allHex(text.substr(1)))
        return fromRgb(hexValue(text.substr(1, 1)) * 17, hexValue(text.substr(2, 1)) * 17,
                       hexValue(text.substr(3, 1)) * 17);
    if (text.rfind("rgb(", 0) == 0 && text.back() == ')') {
        const std::vector<std::string> parts = split(text.substr(4, text.size() - 5), ',');
        if (parts.size() != 3)
            return std::nullopt;
        std::uint32_t component[3];
        for (int i = 0; i < 3; ++i) {
            const std::string number = trimmed(parts[std::size_t(i)], " \t");
            if (number.empty() || number.size() > 3 || number.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            component[i] = std::uint32_t(std::stoi(number));
            if (component[i] > 255)
                return std::nullopt;
        }
        return fromRgb(component[0], component[1], component[2]);
    }
    const auto found = names().find(text);
    if (found == names().end())
        return std::nullopt;
    return found->second;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    require(ParseTypedColor(text) == reference(text));

    if (size >= 3) {
        // Any colour's HTML and rgb() texts read back as the colour.
        const TColor color = fromRgb(data[0], data[1], data[2]);
        require(ParseTypedColor(ColorToHtml(color)) == color);
        require(ParseTypedColor(ColorToHtml(color).substr(1)) == color);
        require(ParseTypedColor(ColorToRgbText(color)) == color);
    }
    if (size >= 1) {
        // A row's name, its letters' case chosen by the input, reads back as
        // the row's colour.
        const TNamedColor &row = NamedColors[data[0] % NamedColors.size()];
        std::string name(row.Name);
        for (std::size_t i = 0; i < name.size(); ++i) {
            const void *hit = std::memchr(lowerLetters, name[i], 26);
            if (hit && 1 + i < size && (data[1 + i] & 1))
                name[i] = upperLetters[static_cast<const char *>(hit) - lowerLetters];
        }
        require(ParseTypedColor(name) == names().at(lowered(std::string(row.Name))));
        require(ParseTypedColor(name) == ColorOfRow(int(data[0] % NamedColors.size())));
    }
    return 0;
}
