// The tokens of a colour function's arguments, as CSS reads them: numbers,
// percentages, dimensions, identifiers, commas and slashes. Internal to the
// reader of typed colours.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace csstokens {

char lower(char c);
/// Equal but for ASCII letter case.
bool sameLetters(std::string_view a, std::string_view b);
bool isDigit(char c);
bool isLetter(char c);
/// Space, tab, CR, LF, FF.
bool isBlank(char c);
/// 0 .. 15, or -1 for no hexadecimal digit.
int hexValue(char c);

struct TToken
{
    enum TKind { Number, Percent, Dimension, Ident, Comma, Slash } Kind;
    double Value = 0;
    std::string_view Text;  // the unit or the identifier
};

// At most eight tokens: the longest form, color() with alpha, has six.
class TTokens
{
public:
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const TToken &operator[](std::size_t i) const { return m_tokens[i]; }
    bool push_back(const TToken &token)
    {
        if (m_size == m_tokens.size())
            return false;
        m_tokens[m_size++] = token;
        return true;
    }
    TTokens tail() const
    {
        TTokens rest;
        for (std::size_t i = 1; i < m_size; ++i)
            rest.push_back(m_tokens[i]);
        return rest;
    }

private:
    std::array<TToken, 8> m_tokens{};
    std::size_t m_size = 0;
};

/// The tokens of the text, or nothing for a character CSS would not take
/// there or for more than eight tokens. Numbers are kept finite, within
/// 10^9 in size.
std::optional<TTokens> tokenize(std::string_view text);

} // namespace csstokens
