#include "csstokens.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace csstokens {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

namespace {

// Numbers are kept within this size: far beyond every clamp and gamut edge,
// yet small enough that no conversion overflows.
constexpr double Huge = 1e9;

// Name code points continue an identifier or a unit: letters, digits, "-",
// "_" and every non-ASCII character (its UTF-8 bytes are all 0x80 or more).
bool isNameCode(char c)
{
    return isLetter(c) || isDigit(c) || c == '-' || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool isNameStart(char c)
{
    return isLetter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// Whether an identifier starts at `at`: so "1-a" is 1 with the unit "-a",
// but "1-2" is 1 and -2. Escapes are left out: no colour needs them, and a
// text with one is refused.
bool startsIdent(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return false;
    if (text[at] == '-')
        return at + 1 < text.size() && (isNameStart(text[at + 1]) || text[at + 1] == '-');
    return isNameStart(text[at]);
}

std::size_t identEnd(std::string_view text, std::size_t at)
{
    while (at < text.size() && isNameCode(text[at]))
        ++at;
    return at;
}

// The decimal exponent of a number's first significant digit, so that a
// number beyond a double can be told small from large: 0.001 and 1e-3 are
// -3, 1000 and 1e3 are 3. Saturates rather than overflowing.
long long magnitude(std::string_view mantissa, std::string_view exponent)
{
    constexpr long long Limit = 1'000'000'000'000;
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::string_view whole = mantissa.substr(0, point);
    const std::size_t lead = std::min(whole.find_first_not_of("+-0"), whole.size());
    long long order = 0;
    if (lead < whole.size()) {
        order = static_cast<long long>(whole.size() - lead) - 1;
    } else {
        const std::string_view fraction = mantissa.substr(std::min(point + 1, mantissa.size()));
        order = -static_cast<long long>(std::min(fraction.find_first_not_of('0'), fraction.size())) - 1;
    }
    long long power = 0;
    for (char c : exponent)
        if (isDigit(c))
            power = std::min(power * 10 + (c - '0'), Limit);
    return order + (!exponent.empty() && exponent.front() == '-' ? -power : power);
}

// One CSS number at `at`: sign, digits with an optional fraction, optional
// exponent. Nothing when there is none there.
std::optional<double> readNumber(std::string_view text, std::size_t &at)
{
    std::size_t i = at;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i + 1 < text.size() && text[i] == '.' && isDigit(text[i + 1])) {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    const std::size_t mantissaEnd = i;
    std::size_t e = i;
    if (e < text.size() && lower(text[e]) == 'e') {
        ++e;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (e < text.size() && isDigit(text[e])) {
            while (e < text.size() && isDigit(text[e]))
                ++e;
            i = e;
        }
    }
    std::string_view number = text.substr(start, i - start);
    const bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-')
        number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small for a double is all but 0; too large is the largest
        // value, which the cap below brings within reach of every clamp.
        const std::string_view mantissa = text.substr(start, mantissaEnd - start);
        const std::string_view exponent = i > mantissaEnd ? text.substr(mantissaEnd + 1, i - mantissaEnd - 1) : "";
        value = magnitude(mantissa, exponent) < 0 ? 0 : Huge;
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    at = i;
    value = std::min(value, Huge);
    return negative ? -value : value;
}

} // namespace

std::optional<TTokens> tokenize(std::string_view text)
{
    TTokens tokens;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (isBlank(c)) {
            ++at;
        } else if (c == ',' || c == '/') {
            if (!tokens.push_back({c == ',' ? TToken::Comma : TToken::Slash, 0, {}}))
                return std::nullopt;
            ++at;
        } else if (const auto number = readNumber(text, at)) {
            if (at < text.size() && text[at] == '%') {
                if (!tokens.push_back({TToken::Percent, *number, {}}))
                    return std::nullopt;
                ++at;
            } else if (startsIdent(text, at)) {
                // A unit runs on as an identifier does: "deg100" is one unit.
                const std::size_t start = at;
                at = identEnd(text, at);
                if (!tokens.push_back({TToken::Dimension, *number, text.substr(start, at - start)}))
                    return std::nullopt;
            } else {
                if (!tokens.push_back({TToken::Number, *number, {}}))
                    return std::nullopt;
            }
        } else if (startsIdent(text, at)) {
            const std::size_t start = at;
            at = identEnd(text, at);
            if (!tokens.push_back({TToken::Ident, 0, text.substr(start, at - start)}))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

} // namespace csstokens
