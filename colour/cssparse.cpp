// The reader of typed colours. It walks the bytes once, index-checked, and
// keeps every number finite, so no input can throw, overflow or crash it.
#include "cssspaces.h"
#include "csstext.h"
#include "csstokens.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace csstokens;

// The CSS names that NamedColors lacks.
struct TExtraName
{
    std::string_view Name;
    TColor Color;
};
constexpr std::array<TExtraName, 8> ExtraNames = {{
    {"darkgrey", MakeColor(0xA9, 0xA9, 0xA9)},
    {"darkslategrey", MakeColor(0x2F, 0x4F, 0x4F)},
    {"dimgrey", MakeColor(0x69, 0x69, 0x69)},
    {"grey", MakeColor(0x80, 0x80, 0x80)},
    {"lightgray", MakeColor(0xD3, 0xD3, 0xD3)},
    {"lightslategrey", MakeColor(0x77, 0x88, 0x99)},
    {"rebeccapurple", MakeColor(0x66, 0x33, 0x99)},
    {"slategrey", MakeColor(0x70, 0x80, 0x90)},
}};

bool isNone(const TToken &token)
{
    return token.Kind == TToken::Ident && sameLetters(token.Text, "none");
}

// A hue in degrees: a number, an angle, or none (0).
std::optional<double> hue(const TToken &token, bool noneAllowed)
{
    if (token.Kind == TToken::Number)
        return token.Value;
    if (noneAllowed && isNone(token))
        return 0.0;
    if (token.Kind != TToken::Dimension)
        return std::nullopt;
    double degrees;
    if (sameLetters(token.Text, "deg"))
        degrees = token.Value;
    else if (sameLetters(token.Text, "grad"))
        degrees = token.Value * 0.9;
    else if (sameLetters(token.Text, "rad"))
        degrees = token.Value * 180 / std::numbers::pi;
    else if (sameLetters(token.Text, "turn"))
        degrees = token.Value * 360;
    else
        return std::nullopt;
    return std::fmod(degrees, 360);
}

// A number, or a percentage scaled so that 100% is `hundred`, or none (0).
std::optional<double> amount(const TToken &token, double hundred, bool noneAllowed)
{
    if (token.Kind == TToken::Number)
        return token.Value;
    if (token.Kind == TToken::Percent)
        return token.Value * hundred / 100;
    if (noneAllowed && isNone(token))
        return 0.0;
    return std::nullopt;
}

// The three components and whether the colour is opaque, from either the
// comma form (legacy allowed) or the space form with "/ alpha".
struct TArguments
{
    std::array<TToken, 3> Component;
    bool Legacy;
    bool Opaque;
};

std::optional<TArguments> arguments(const TTokens &tokens, bool legacyAllowed)
{
    TArguments result{{tokens.size() > 0 ? tokens[0] : TToken{}, tokens.size() > 2 ? tokens[2] : TToken{},
                       tokens.size() > 4 ? tokens[4] : TToken{}},
                      true, true};
    std::optional<TToken> alpha;
    const bool comma = tokens.size() >= 2 && tokens[1].Kind == TToken::Comma;
    if (comma) {
        if (!legacyAllowed || (tokens.size() != 5 && tokens.size() != 7) || tokens[3].Kind != TToken::Comma)
            return std::nullopt;
        if (tokens.size() == 7) {
            if (tokens[5].Kind != TToken::Comma)
                return std::nullopt;
            alpha = tokens[6];
        }
    } else {
        result.Legacy = false;
        if (tokens.size() != 3 && tokens.size() != 5)
            return std::nullopt;
        result.Component = {tokens[0], tokens[1], tokens[2]};
        if (tokens.size() == 5) {
            if (tokens[3].Kind != TToken::Slash)
                return std::nullopt;
            alpha = tokens[4];
        }
    }
    for (const TToken &token : result.Component)
        if (token.Kind == TToken::Comma || token.Kind == TToken::Slash || (result.Legacy && isNone(token)))
            return std::nullopt;
    if (alpha) {
        const auto value = amount(*alpha, 1, !result.Legacy);
        if (!value)
            return std::nullopt;
        result.Opaque = *value >= 1;
    }
    return result;
}

TCssColor opaque(TColor color, bool mapped = false)
{
    return {TCssStatus::Color, color, mapped};
}

TCssColor mapped(const TMapped &m)
{
    return opaque(m.Color, m.Outside);
}

// The components of a space's function, or of color() after its space.
std::optional<TCssColor> components(const TCssSpace &space, const TTokens &tokens)
{
    const auto args = arguments(tokens, space.Legacy);
    if (!args)
        return std::nullopt;
    // The comma form takes components of one kind, and percentages where
    // the space writes them so.
    if (args->Legacy) {
        std::optional<TToken::TKind> kind;
        for (std::size_t i = 0; i < 3; ++i) {
            if (int(i) == space.Hue)
                continue;
            const TToken::TKind k = args->Component[i].Kind;
            if ((kind && k != *kind) || (space.Components[i].Percent && k != TToken::Percent))
                return std::nullopt;
            kind = k;
        }
    }
    std::array<double, 3> v;
    for (std::size_t i = 0; i < 3; ++i) {
        const TToken &token = args->Component[i];
        const auto value = int(i) == space.Hue ? hue(token, !args->Legacy)
                                               : amount(token, space.Components[i].Hundred, !args->Legacy);
        if (!value)
            return std::nullopt;
        v[i] = *value;
    }
    if (!args->Opaque)
        return TCssColor{TCssStatus::Transparent};
    return mapped(CssSpaceToColor(space, {v[0], v[1], v[2]}));
}

std::optional<TCssColor> function(std::string_view name, std::string_view inside)
{
    const auto tokens = tokenize(inside);
    if (!tokens)
        return std::nullopt;
    if (sameLetters(name, "color")) {
        const TCssSpace *space = tokens->empty() || (*tokens)[0].Kind != TToken::Ident
            ? nullptr
            : FindCssRgbSpace((*tokens)[0].Text);
        return space ? components(*space, tokens->tail()) : std::nullopt;
    }
    const TCssSpace *space = FindCssFunction(name);
    return space ? components(*space, *tokens) : std::nullopt;
}

std::optional<TCssColor> hex(std::string_view digits)
{
    if (digits.size() != 3 && digits.size() != 4 && digits.size() != 6 && digits.size() != 8)
        return std::nullopt;
    const bool shortForm = digits.size() <= 4;
    int value[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int digit = hexValue(digits[i]);
        if (digit < 0)
            return std::nullopt;
        int &channel = value[shortForm ? i : i / 2];
        channel = shortForm ? digit * 17 : (i % 2 == 0 ? digit * 16 : channel + digit);
    }
    if (value[3] != 255)
        return TCssColor{TCssStatus::Transparent};
    return opaque(MakeColor(value[0], value[1], value[2]));
}

} // namespace

bool IsCssName(std::string_view name)
{
    return !name.ends_with(" *");
}

std::optional<TColor> CssNamedColor(std::string_view name)
{
    // Sorted once, in lower case, for a binary search: a pasted text asks
    // for every word it holds.
    struct TEntry
    {
        std::string Name;
        TColor Color;
    };
    static const std::vector<TEntry> table = [] {
        std::vector<TEntry> entries;
        for (int row = 0; row < NamedColorCount; ++row)
            if (IsCssName(NamedColors[std::size_t(row)].Name))
                entries.push_back({std::string(NamedColors[std::size_t(row)].Name), ColorOfRow(row)});
        for (const TExtraName &extra : ExtraNames)
            entries.push_back({std::string(extra.Name), extra.Color});
        std::sort(entries.begin(), entries.end(), [](const TEntry &a, const TEntry &b) { return a.Name < b.Name; });
        return entries;
    }();
    constexpr std::size_t Longest = 20;  // "lightgoldenrodyellow"
    if (name.empty() || name.size() > Longest)
        return std::nullopt;
    char lowered[Longest];
    for (std::size_t i = 0; i < name.size(); ++i)
        lowered[i] = lower(name[i]);
    const std::string_view key(lowered, name.size());
    const auto found = std::lower_bound(table.begin(), table.end(), key,
                                        [](const TEntry &entry, std::string_view k) { return entry.Name < k; });
    if (found == table.end() || found->Name != key)
        return std::nullopt;
    return found->Color;
}

TCssColor ParseCssColor(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return {};
    if (std::all_of(text.begin(), text.end(), isDigit))
        return {TCssStatus::DigitsOnly};
    if (text.front() == '#')
        return hex(text.substr(1)).value_or(TCssColor{});
    if (text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) { return hexValue(c) >= 0; }))
        return *hex(text);
    const std::size_t open = text.find('(');
    if (open != std::string_view::npos) {
        if (text.back() != ')')
            return {};
        const std::string_view name = text.substr(0, open);
        if (!std::all_of(name.begin(), name.end(), isLetter))
            return {};
        return function(name, text.substr(open + 1, text.size() - open - 2)).value_or(TCssColor{});
    }
    if (sameLetters(text, "transparent"))
        return {TCssStatus::Transparent};
    for (int row = 0; row < NamedColorCount; ++row) {
        const std::string_view name = NamedColors[std::size_t(row)].Name;
        if (sameLetters(text, name) || (name.ends_with(" *") && sameLetters(text, name.substr(0, name.size() - 2))))
            return opaque(ColorOfRow(row));
    }
    for (const TExtraName &extra : ExtraNames)
        if (sameLetters(text, extra.Name))
            return opaque(extra.Color);
    return {};
}

std::string_view CssColorMessage(const TCssColor &color)
{
    switch (color.Status) {
    case TCssStatus::Color:
        return color.GamutMapped ? GamutMappedMessage : std::string_view();
    case TCssStatus::Transparent:
        return TransparentMessage;
    case TCssStatus::DigitsOnly:
        return DigitsOnlyMessage;
    case TCssStatus::Unreadable:
        break;
    }
    return ConvertErrorMessage;
}
