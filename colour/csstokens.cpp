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
    bool negativeExponent = false;
    std::size_t e = i;
    if (e < text.size() && lower(text[e]) == 'e') {
        ++e;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            negativeExponent = text[e++] == '-';
        if (e < text.size() && isDigit(text[e])) {
            while (e < text.size() && isDigit(text[e]))
                ++e;
            i = e;
        } else {
            negativeExponent = false;
        }
    }
    std::string_view number = text.substr(start, i - start);
    const bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-')
        number.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value = negativeExponent ? 0 : Huge;
    else if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
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
            } else if (at < text.size() && isLetter(text[at])) {
                const std::size_t start = at;
                while (at < text.size() && isLetter(text[at]))
                    ++at;
                if (!tokens.push_back({TToken::Dimension, *number, text.substr(start, at - start)}))
                    return std::nullopt;
            } else {
                if (!tokens.push_back({TToken::Number, *number, {}}))
                    return std::nullopt;
            }
        } else if (isLetter(c) || c == '-') {
            const std::size_t start = at;
            while (at < text.size() && (isLetter(text[at]) || isDigit(text[at]) || text[at] == '-'))
                ++at;
            if (!tokens.push_back({TToken::Ident, 0, text.substr(start, at - start)}))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

} // namespace csstokens
