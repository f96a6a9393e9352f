// Fuzzes the reader of CSS colours for properties that hold whatever it
// reads: it answers every input (the sanitizers watch for the rest), letter
// case and the white space CSS allows around brackets and separators change
// nothing, what it reads as a colour reads the same from its hex text, the
// old reader's colours stand, and every text the program copies reads back
// as its colour.
#include "colour.h"
#include "csstext.h"
#include "require.h"
#include "typedcolour.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string withCase(std::string text, bool upper)
{
    for (char &c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

// White space after "(", before ")" and around "," and "/".
std::string spaced(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == ')' || c == ',' || c == '/')
            out += ' ';
        out += c;
        if (c == '(' || c == ',' || c == '/')
            out += " \t";
    }
    return out;
}

bool same(const TCssColor &a, const TCssColor &b)
{
    return a.Status == b.Status && a.Color == b.Color && a.GamutMapped == b.GamutMapped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const TCssColor read = ParseCssColor(text);
    require(read.Status == TCssStatus::Color || (read.Color == 0 && !read.GamutMapped));
    require(read.Color >= 0 && read.Color <= 0xFFFFFF);
    require(same(ParseCssColor(withCase(text, true)), read));
    require(same(ParseCssColor(withCase(text, false)), read));
    require(same(ParseCssColor(" \t" + text + "\r\n"), read));
    if (text.find('(') != std::string::npos)
        require(same(ParseCssColor(spaced(text)), read));
    if (read.Status == TCssStatus::Color)
        require(same(ParseCssColor(ColorToHtml(read.Color)), TCssColor{TCssStatus::Color, read.Color, false}));
    if (const auto old = ParseTypedColor(text); old && read.Status != TCssStatus::DigitsOnly)
        require(read.Status == TCssStatus::Color && read.Color == *old);

    if (size >= 3) {
        const TColor color = MakeColor(data[0], data[1], data[2]);
        for (const std::string &form : {ColorToHtml(color), ColorToCssHsl(color), ColorToCssHwb(color),
                                        ColorToCssLab(color), ColorToCssLch(color), ColorToCssOklab(color),
                                        ColorToCssOklch(color)})
            require(same(ParseCssColor(form), TCssColor{TCssStatus::Color, color, false}));
    }
    return 0;
}
