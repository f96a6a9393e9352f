#include "palettescan.h"

#include "csstext.h"
#include "csstokens.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>

namespace {

using csstokens::hexValue;
using csstokens::isBlank;
using csstokens::sameLetters;

// A function is looked for up to its ")" this far away, so a text of
// unclosed brackets costs no more than one pass.
constexpr std::size_t LongestFunction = 512;
// A line with more colour words than this is no palette line: its names are
// let go rather than held for the line's end.
constexpr std::size_t LongestPaletteLine = 4096;
constexpr std::size_t CheckEvery = 64 * 1024;

bool isAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isWordByte(unsigned char c) { return isAsciiLetter(c) || isAsciiDigit(c) || c == '-' || c == '_'; }

// Before a name: a word of its own, not "$red", "@red", "#red", ".red" or
// "%red", nor a word glued to other letters of any script.
bool blocksName(unsigned char c)
{
    return isWordByte(c) || c >= 0x80 || c == '$' || c == '@' || c == '#' || c == '.' || c == '%' || c == '&';
}

constexpr std::array<std::string_view, 10> ColourFunctions = {"rgb",   "rgba",  "hsl",  "hsla",  "hwb",
                                                              "lab",   "lch",   "oklab", "oklch", "color"};

bool isColourFunction(std::string_view name)
{
    return std::any_of(ColourFunctions.begin(), ColourFunctions.end(),
                       [name](std::string_view f) { return sameLetters(name, f); });
}

struct TCandidate
{
    std::size_t End = 0;
    TCssColor Read;
};

// One found text, held until its line says whether a name on it counts.
struct TFinding
{
    TFoundColor Found;
    bool Transparent = false;
    bool Pending = false;   // a name that counts only if its line is a palette line
    bool AfterSep = false;  // the name stands after the line's first ":" or "="
};

class TScanner
{
public:
    TScanner(std::string_view text, std::size_t limit, TRepeats repeats, const std::function<bool()> &keepGoing)
        : m_text(text)
        , m_limit(limit)
        , m_repeats(repeats)
        , m_keepGoing(keepGoing)
    {
    }

    TPaletteScan run()
    {
        std::size_t pos = 0;
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF")
            pos = 3;
        m_begin = pos;
        m_lastClose = m_text.rfind("*/");
        const bool gimp = isGimpHeader(pos);
        while (pos < m_text.size() && !m_result.Stopped) {
            const void *newline = std::memchr(m_text.data() + pos, '\n', m_text.size() - pos);
            const std::size_t end = newline ? std::size_t(static_cast<const char *>(newline) - m_text.data())
                                            : m_text.size();
            if (gimp)
                gimpLine(pos, end);
            else
                line(pos, end);
            pos = end + 1;
        }
        return std::move(m_result);
    }

private:
    bool isGimpHeader(std::size_t pos) const
    {
        constexpr std::string_view Header = "GIMP Palette";
        if (m_text.substr(pos, Header.size()) != Header)
            return false;
        std::size_t after = pos + Header.size();
        while (after < m_text.size() && (m_text[after] == ' ' || m_text[after] == '\t' || m_text[after] == '\r'))
            ++after;
        return after == m_text.size() || m_text[after] == '\n';
    }

    bool stopAsked(std::size_t pos)
    {
        if (!m_keepGoing || pos < m_nextCheck)
            return false;
        m_nextCheck = pos + CheckEvery;
        if (!m_keepGoing())
            m_result.Stopped = true;
        return m_result.Stopped;
    }

    unsigned char at(std::size_t i) const { return static_cast<unsigned char>(m_text[i]); }

    // A GIMP palette line: "R G B" and a label, or a comment or a header.
    void gimpLine(std::size_t pos, std::size_t end)
    {
        if (stopAsked(pos))
            return;
        std::size_t i = pos;
        while (i < end && isBlank(m_text[i]))
            ++i;
        const std::size_t start = i;
        int values[3];
        for (int &value : values) {
            while (i < end && (m_text[i] == ' ' || m_text[i] == '\t'))
                ++i;
            const std::size_t digits = i;
            value = 0;
            while (i < end && isAsciiDigit(at(i)) && i - digits < 4)
                value = value * 10 + (m_text[i++] - '0');
            if (i == digits || i - digits > 3 || value > 255)
                return;
        }
        if (i < end && !isBlank(m_text[i]))
            return;
        TCssColor read;
        read.Status = TCssStatus::Color;
        read.Color = MakeColor(values[0], values[1], values[2]);
        take({{start, i - start, read.Color, false}, false, false, false});
    }

    void line(std::size_t pos, std::size_t end)
    {
        m_items = 0;
        m_allColour = true;
        m_afterSep = false;
        m_valueItems = 0;
        m_valueAllColour = true;
        m_lineDead = false;
        m_itemStart = std::string_view::npos;
        m_varLine = false;
        m_varValue = false;
        m_lineCommitted = false;
        std::size_t i = pos;
        while (i < end && isBlank(m_text[i]))
            ++i;
        if (i + 1 < end && ((m_text[i] == '-' && m_text[i + 1] == '-') || m_text[i] == '$' || m_text[i] == '@'))
            m_varLine = true;

        i = pos;
        while (i < end) {
            if (stopAsked(i))
                return;
            if (m_inComment) {
                const std::size_t close = m_text.substr(0, end).find("*/", i);
                if (close == std::string_view::npos) {
                    i = end;
                    break;
                }
                m_inComment = false;
                i = close + 2;
                continue;
            }
            const unsigned char c = at(i);
            // A comment that no "*/" closes is no comment: "src/*.css" in prose.
            if (c == '/' && i + 1 < end && m_text[i + 1] == '*' && m_lastClose != std::string_view::npos
                && m_lastClose >= i + 2) {
                itemBreak(i);
                m_inComment = true;
                i += 2;
                continue;
            }
            if (c == '"' || c == '\'') {
                i = string(i, end);
                continue;
            }
            switch (c) {
            case '{':
            case '}':
                itemBreak(i);
                m_depth = c == '{' ? m_depth + 1 : std::max(0, m_depth - 1);
                m_quotedKey = false;
                m_declValue = false;
                m_declItems = 0;
                m_varValue = false;
                ++i;
                continue;
            case ';':
                itemBreak(i);
                m_declValue = false;
                m_declItems = 0;
                m_varValue = false;
                ++i;
                continue;
            case ',':
                itemBreak(i);
                // A JSON member ends at its comma; a CSS value runs on.
                if (m_quotedDecl) {
                    m_declValue = false;
                    m_declItems = 0;
                }
                ++i;
                continue;
            case ':':
            case '=':
                itemBreak(i);
                // A declaration inside braces starts at a quoted key, or at
                // a property's name standing first ("color", "--brand"), not
                // at a word of prose ("Note:").
                if (c == ':' && m_depth > 0
                    && (m_quotedKey || (!m_declValue && m_declItems == 1 && isPropertyName(m_lastItem)))) {
                    m_declValue = true;
                    m_quotedDecl = m_quotedKey;
                }
                m_quotedKey = false;
                if (!m_afterSep) {
                    m_afterSep = true;
                    if (c == ':' && m_varLine)
                        m_varValue = true;
                    settle();
                }
                ++i;
                continue;
            default:
                break;
            }
            if (isBlank(char(c))) {
                itemBreak(i);
                ++i;
                continue;
            }
            if (c == '#') {
                if (const auto hex = hexAt(i, end)) {
                    candidate(i, *hex, false);
                    i = hex->End;
                    continue;
                }
            } else if (isAsciiLetter(c) && (i == 0 || !isWordByte(at(i - 1)))) {
                std::size_t wordEnd = i;
                while (wordEnd < end && isWordByte(at(wordEnd)))
                    ++wordEnd;
                if (const auto function = functionAt(i, wordEnd, end)) {
                    candidate(i, *function, false);
                    i = function->End;
                    continue;
                }
                if (const auto name = nameAt(i, wordEnd, end)) {
                    candidate(i, *name, !(m_depth > 0 && m_declValue) && !m_varValue);
                    i = wordEnd;
                    continue;
                }
                itemByte(i);
                i = wordEnd;
                continue;
            }
            itemByte(i);
            ++i;
        }
        itemBreak(end);
        endLine();
    }

    // "#" and 3, 4, 6 or 8 hexadecimal digits standing alone.
    std::optional<TCandidate> hexAt(std::size_t i, std::size_t end) const
    {
        if (i > 0 && (isWordByte(at(i - 1)) || m_text[i - 1] == '&'))
            return std::nullopt;
        // url(#abc) names a fragment.
        if (i >= 4 && m_text[i - 1] == '(' && sameLetters(m_text.substr(i - 4, 3), "url"))
            return std::nullopt;
        std::size_t j = i + 1;
        while (j < end && j - i <= 9 && hexValue(m_text[j]) >= 0)
            ++j;
        const std::size_t digits = j - i - 1;
        if ((digits != 3 && digits != 4 && digits != 6 && digits != 8) || (j < end && isWordByte(at(j))))
            return std::nullopt;
        return readAlone(i, j);
    }

    // A colour function's name, its "(" and everything to its ")".
    std::optional<TCandidate> functionAt(std::size_t i, std::size_t wordEnd, std::size_t end) const
    {
        if (wordEnd >= end || m_text[wordEnd] != '(' || !isColourFunction(m_text.substr(i, wordEnd - i)))
            return std::nullopt;
        const std::size_t limit = std::min(end, wordEnd + 1 + LongestFunction);
        for (std::size_t j = wordEnd + 1; j < limit; ++j) {
            if (m_text[j] == '(')
                return std::nullopt;
            if (m_text[j] == ')')
                return readAlone(i, j + 1);
        }
        return std::nullopt;
    }

    std::optional<TCandidate> nameAt(std::size_t i, std::size_t wordEnd, std::size_t end) const
    {
        if ((i > m_begin && blocksName(at(i - 1))) || (wordEnd < end && (at(wordEnd) >= 0x80 || m_text[wordEnd] == '(')))
            return std::nullopt;
        const std::string_view word = m_text.substr(i, wordEnd - i);
        if (sameLetters(word, "transparent"))
            return TCandidate{wordEnd, {TCssStatus::Transparent}};
        if (const auto color = CssNamedColor(word))
            return TCandidate{wordEnd, {TCssStatus::Color, *color}};
        return std::nullopt;
    }

    std::optional<TCandidate> readAlone(std::size_t i, std::size_t end) const
    {
        const TCssColor read = ParseCssColor(m_text.substr(i, end - i));
        if (read.Status != TCssStatus::Color && read.Status != TCssStatus::Transparent)
            return std::nullopt;
        return TCandidate{end, read};
    }

    // A quoted string: the colours written in it, and, where its whole
    // content is a name and it is no key, that name.
    std::size_t string(std::size_t open, std::size_t end)
    {
        const char quote = m_text[open];
        std::size_t close = open + 1;
        while (close < end && m_text[close] != quote)
            close += m_text[close] == '\\' ? 2 : 1;
        close = std::min(close, end);
        std::size_t from = open + 1;
        std::size_t to = close;
        while (from < to && isBlank(m_text[from]))
            ++from;
        while (to > from && isBlank(m_text[to - 1]))
            --to;
        const std::size_t after = std::min(close + 1, end);

        bool whole = false;
        bool key = false;
        if (from < to) {
            std::size_t next = after;
            while (next < end && isBlank(m_text[next]))
                ++next;
            key = next < end && m_text[next] == ':';
        }
        m_quotedKey = key;
        // A string in a style sheet's declaration ("content: "red"") is
        // text; a token's value ("$value": "red") is a colour.
        const bool textValue = m_depth > 0 && m_declValue && !m_quotedDecl;
        for (std::size_t i = from; i < to;) {
            std::optional<TCandidate> found;
            const unsigned char c = at(i);
            if (c == '#') {
                found = hexAt(i, to);
            } else if (isAsciiLetter(c) && !isWordByte(at(i - 1))) {
                std::size_t wordEnd = i;
                while (wordEnd < to && isWordByte(at(wordEnd)))
                    ++wordEnd;
                found = functionAt(i, wordEnd, to);
                if (!found && i == from && wordEnd == to && !key && !textValue)
                    found = nameAt(i, wordEnd, to);
                if (!found) {
                    i = wordEnd;
                    continue;
                }
            }
            if (!found) {
                ++i;
                continue;
            }
            whole = i == from && found->End == to;
            record(i, *found, false);
            i = found->End;
        }
        // The string is one item of its line: a colour item when a colour
        // is all it holds.
        if (m_itemStart == std::string_view::npos) {
            m_itemStart = open;
            m_itemColour = whole;
        } else {
            m_itemColour = false;
        }
        return after;
    }

    void candidate(std::size_t i, const TCandidate &found, bool pending)
    {
        pending = pending && !m_lineCommitted;
        if (m_itemStart == std::string_view::npos) {
            m_itemStart = i;
            m_itemColour = true;
        } else {
            m_itemColour = false;
        }
        record(i, found, pending);
    }

    void record(std::size_t i, const TCandidate &found, bool pending)
    {
        TFinding finding{{i, found.End - i, found.Read.Color, found.Read.GamutMapped},
                         found.Read.Status == TCssStatus::Transparent, pending, m_afterSep};
        if (pending && m_lineDead)
            return;
        if (m_held.empty() && !pending) {
            take(finding);
            return;
        }
        m_held.push_back(finding);
        if (m_held.size() > LongestPaletteLine)
            commitLine();
    }

    // A line of colours longer than the names held for it: still all
    // colours, it counts as a palette line from here on, so that nothing
    // more is held for it.
    void commitLine()
    {
        for (const TFinding &finding : m_held)
            if (!finding.Pending || (finding.AfterSep ? afterLive() : beforeLive()))
                take(finding);
        m_held.clear();
        m_lineCommitted = true;
    }

    // A CSS property's name, a custom property's, or a Sass or Less
    // variable's: lower-case letters, digits and "-", or "--", "$" or "@"
    // before a name of any case.
    bool isPropertyName(std::string_view item) const
    {
        if (item.starts_with("--") || item.starts_with('$') || item.starts_with('@'))
            item.remove_prefix(item.starts_with("--") ? 2 : 1);
        else if (!std::all_of(item.begin(), item.end(), [](char c) { return (c >= 'a' && c <= 'z') || isAsciiDigit(c) || c == '-'; }))
            return false;
        return !item.empty() && std::all_of(item.begin(), item.end(), [](char c) { return isWordByte(c); });
    }

    void itemByte(std::size_t i)
    {
        if (m_itemStart == std::string_view::npos)
            m_itemStart = i;
        m_itemColour = false;
    }

    bool isListMarker(std::size_t from, std::size_t to) const
    {
        const std::string_view item = m_text.substr(from, to - from);
        if (item == "-" || item == "*" || item == "+" || item == "\xE2\x80\xA2")
            return true;
        if (item.size() < 2 || (item.back() != '.' && item.back() != ')'))
            return false;
        return std::all_of(item.begin(), item.end() - 1, [](char c) { return isAsciiDigit(c); });
    }

    void itemBreak(std::size_t at)
    {
        if (m_itemStart == std::string_view::npos)
            return;
        const bool marker = m_items == 0 && !m_afterSep && !m_itemColour && isListMarker(m_itemStart, at);
        m_lastItem = m_text.substr(m_itemStart, at - m_itemStart);
        ++m_declItems;
        m_itemStart = std::string_view::npos;
        if (marker)
            return;
        ++m_items;
        m_allColour = m_allColour && m_itemColour;
        if (m_afterSep) {
            ++m_valueItems;
            m_valueAllColour = m_valueAllColour && m_itemColour;
        }
        settle();
    }

    // Whether the names before and after the line's first separator can
    // still count once the line ends.
    bool beforeLive() const { return !m_lineDead && !m_afterSep && m_allColour; }
    bool afterLive() const { return !m_lineDead && m_afterSep && m_valueItems <= 1 && m_valueAllColour; }

    // Gives out what no longer waits for the line: the found texts in front
    // of the first name that may still count.
    void settle()
    {
        while (!m_held.empty()) {
            const TFinding &front = m_held.front();
            if (front.Pending && (front.AfterSep ? afterLive() : beforeLive()))
                return;
            if (!front.Pending)
                take(front);
            m_held.pop_front();
        }
    }

    void endLine()
    {
        const bool before = !m_lineDead && !m_afterSep && m_allColour && m_items > 0;
        const bool after = !m_lineDead && m_afterSep && m_valueItems == 1 && m_valueAllColour;
        for (const TFinding &finding : m_held)
            if (!finding.Pending || (finding.AfterSep ? after : before))
                take(finding);
        m_held.clear();
    }

    void take(const TFinding &finding)
    {
        if (finding.Transparent) {
            ++m_result.Transparent;
            return;
        }
        if (m_repeats == TRepeats::Skip) {
            if (m_seen.empty())
                m_seen.assign((1u << 24) / 64, 0);
            const auto color = std::uint32_t(finding.Found.Color) & 0xFFFFFFu;
            std::uint64_t &word = m_seen[color / 64];
            const std::uint64_t bit = std::uint64_t(1) << (color % 64);
            if (word & bit) {
                ++m_result.Repeats;
                return;
            }
            word |= bit;
        }
        if (m_result.Colors.size() >= m_limit) {
            ++m_result.Beyond;
            return;
        }
        m_result.Colors.push_back(finding.Found);
        if (finding.Found.GamutMapped)
            ++m_result.Mapped;
    }

    std::string_view m_text;
    std::size_t m_limit;
    TRepeats m_repeats;
    const std::function<bool()> &m_keepGoing;
    std::size_t m_nextCheck = 0;
    TPaletteScan m_result;
    std::vector<std::uint64_t> m_seen;

    std::size_t m_begin = 0;                             // after a byte order mark
    std::size_t m_lastClose = std::string_view::npos;  // the last "*/"

    // Across lines.
    bool m_inComment = false;
    int m_depth = 0;
    bool m_declValue = false;
    bool m_quotedKey = false;   // the last string was a key: a ":" follows it
    bool m_quotedDecl = false;  // the declaration's name was quoted, as JSON's are
    std::size_t m_declItems = 0;  // items since the last "{", "}" or ";"
    std::string_view m_lastItem;

    // Within a line.
    std::deque<TFinding> m_held;
    std::size_t m_items = 0;
    bool m_allColour = true;
    bool m_afterSep = false;
    std::size_t m_valueItems = 0;
    bool m_valueAllColour = true;
    bool m_lineDead = false;
    bool m_lineCommitted = false;
    bool m_varLine = false;
    bool m_varValue = false;
    std::size_t m_itemStart = std::string_view::npos;
    bool m_itemColour = false;
};

} // namespace

TPaletteScan FindPaletteColors(std::string_view text, std::size_t limit, TRepeats repeats,
                               const std::function<bool()> &keepGoing)
{
    return TScanner(text, limit, repeats, keepGoing).run();
}
