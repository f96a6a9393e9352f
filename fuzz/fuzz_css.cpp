// Fuzzes the reader of CSS colours for properties that hold whatever it
// reads: it answers every input (the sanitizers watch for the rest), letter
// case and the white space CSS allows around brackets and separators change
// nothing, what it reads as a colour reads the same from its hex text, the
// old reader's colours stand, every text the program copies reads back as
// its colour, and the arguments of a colour it reads tokenise by CSS
// Syntax's own rules (below, written from its definitions) into the very
// tokens the reader took.
#include "colour.h"
#include "csstext.h"
#include "csstokens.h"
#include "require.h"
#include "typedcolour.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// CSS Syntax's tokens, as far as colour arguments go: whitespace is
// dropped, and a text with any token that no colour takes (a delimiter
// other than "/", a function, a string, an escape) has none.
struct TSyntaxToken
{
    csstokens::TToken::TKind Kind;
    std::string Text;  // the unit or the identifier
};

bool nameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool nameCode(unsigned char c) { return nameStart(c) || (c >= '0' && c <= '9') || c == '-'; }
bool digit(std::size_t at, const std::string &s) { return at < s.size() && s[at] >= '0' && s[at] <= '9'; }

// "Check if three code points would start an ident sequence", escapes aside.
bool wouldStartIdent(const std::string &s, std::size_t at)
{
    if (at >= s.size())
        return false;
    if (s[at] == '-')
        return at + 1 < s.size() && (nameStart(static_cast<unsigned char>(s[at + 1])) || s[at + 1] == '-');
    return nameStart(static_cast<unsigned char>(s[at]));
}

// "Check if three code points would start a number".
bool wouldStartNumber(const std::string &s, std::size_t at)
{
    if (at < s.size() && (s[at] == '+' || s[at] == '-'))
        ++at;
    return digit(at, s) || (at < s.size() && s[at] == '.' && digit(at + 1, s));
}

std::optional<std::vector<TSyntaxToken>> syntaxTokens(const std::string &s)
{
    using csstokens::TToken;
    std::vector<TSyntaxToken> tokens;
    std::size_t at = 0;
    const auto name = [&] {
        const std::size_t start = at;
        while (at < s.size() && nameCode(static_cast<unsigned char>(s[at])))
            ++at;
        return s.substr(start, at - start);
    };
    while (at < s.size()) {
        const char c = s[at];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            ++at;
        } else if (c == ',' || c == '/') {
            tokens.push_back({c == ',' ? TToken::Comma : TToken::Slash, {}});
            ++at;
        } else if (wouldStartNumber(s, at)) {
            if (s[at] == '+' || s[at] == '-')
                ++at;
            while (digit(at, s))
                ++at;
            if (at < s.size() && s[at] == '.' && digit(at + 1, s))
                for (++at; digit(at, s); ++at) {}
            const std::size_t sign = at + 1 < s.size() && (s[at + 1] == '+' || s[at + 1] == '-') ? 1 : 0;
            if (at < s.size() && (s[at] | 0x20) == 'e' && digit(at + 1 + sign, s))
                for (at += 1 + sign; digit(at, s); ++at) {}
            if (wouldStartIdent(s, at)) {
                tokens.push_back({TToken::Dimension, name()});
            } else if (at < s.size() && s[at] == '%') {
                tokens.push_back({TToken::Percent, {}});
                ++at;
            } else {
                tokens.push_back({TToken::Number, {}});
            }
        } else if (wouldStartIdent(s, at)) {
            std::string ident = name();
            if (at < s.size() && s[at] == '(')
                return std::nullopt;
            tokens.push_back({TToken::Ident, ident});
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

bool sameTokens(const std::vector<TSyntaxToken> &syntax, const csstokens::TTokens &read)
{
    if (syntax.size() != read.size())
        return false;
    for (std::size_t i = 0; i < syntax.size(); ++i)
        if (syntax[i].Kind != read[i].Kind || syntax[i].Text != read[i].Text)
            return false;
    return true;
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
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (read.Status != TCssStatus::Unreadable && open != std::string::npos && close != std::string::npos
        && open < close) {
        const std::string inside = text.substr(open + 1, close - open - 1);
        const auto syntax = syntaxTokens(inside);
        const auto tokens = csstokens::tokenize(inside);
        require(syntax && tokens && sameTokens(*syntax, *tokens));
    }
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
