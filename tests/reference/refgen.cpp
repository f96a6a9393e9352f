// Writes what the independent references check, one text a line:
//   copy <tab> #RRGGBB <tab> text <tab> the form to ten decimals
//   typed <tab> kind <tab> text <tab> #RRGGBB or "-" <tab> 1 when gamut mapped
//   contrast <tab> #RRGGBB <tab> ratio <tab> cut text <tab> Lc white <tab> Lc black
//   pair <tab> text <tab> background <tab> ratio <tab> cut text <tab> verdicts
//        <tab> Lc <tab> nearest text <tab> nearest background
// for a fixed sample of colours and the colours at the edges of the cube.
// A pair's verdicts are five "+" (pass) or "-" (fail): AA, AAA, large AA,
// large AAA, and non-graphic contrast (3:1, what large AA judges); its
// nearest colours are NearestPassingAA moving the text (background fixed)
// and moving the background (text fixed), "-" where it returns nothing.
#include "contrast.h"
#include "css.h"
#include "csstext.h"
#include "nearest.h"
#include "samplecolours.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<TColor> sample(std::size_t count)
{
    return SampleColours(count, 20261209,
                         {MakeColor(0x12, 0x34, 0x56), MakeColor(1, 2, 3), MakeColor(0xFE, 0xFD, 0xFC),
                          MakeColor(0x7F, 0x7F, 0x80), MakeColor(0xFB, 0x2C, 0x36), MakeColor(0x77, 0x77, 0x77),
                          MakeColor(0x76, 0x76, 0x76), MakeColor(255, 200, 0)});
}

std::string number(std::mt19937 &random, double low, double high, int decimals)
{
    const double value = std::uniform_real_distribution<double>(low, high)(random);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void typed(const std::string &kind, const std::string &text)
{
    const TCssColor color = ParseCssColor(text);
    std::printf("typed\t%s\t%s\t%s\t%d\n", kind.c_str(), text.c_str(),
                color.Status == TCssStatus::Color ? ColorToHtml(color.Color).c_str() : "-", color.GamutMapped ? 1 : 0);
}

void pair(TColor text, TColor background)
{
    const double ratio = ContrastRatio(text, background);
    const TWcagVerdict verdict = WcagVerdict(ratio);
    const auto sign = [](bool pass) { return pass ? '+' : '-'; };
    const auto nearest = [](std::optional<TColor> c) { return c ? ColorToHtml(*c) : std::string("-"); };
    std::printf("pair\t%s\t%s\t%.17g\t%s\t%c%c%c%c%c\t%.17g\t%s\t%s\n", ColorToHtml(text).c_str(),
                ColorToHtml(background).c_str(), ratio, CutRatioText(ratio).c_str(), sign(verdict.AA),
                sign(verdict.AAA), sign(verdict.LargeAA), sign(verdict.LargeAAA), sign(verdict.LargeAA),
                ApcaContrast(text, background), nearest(NearestPassingAA(text, background)).c_str(),
                nearest(NearestPassingAA(background, text)).c_str());
}

// Text and background pairs: the edges first (greys against white, black
// and each other, colours against themselves, pairs within a thousandth of
// 3, 4.5 and 7 either way round), then `count` random pairs.
void pairs(std::size_t count, const std::vector<TColor> &colours)
{
    const TColor white = MakeColor(255, 255, 255);
    const TColor black = MakeColor(0, 0, 0);
    for (int v = 0; v < 256; ++v) {
        const TColor grey = MakeColor(v, v, v);
        pair(grey, white);
        pair(white, grey);
        pair(grey, black);
        pair(black, grey);
    }
    for (int a = 0; a < 256; a += 17)
        for (int b = 0; b < 256; b += 17)
            pair(MakeColor(a, a, a), MakeColor(b, b, b));
    for (std::size_t i = 0; i < colours.size(); i += 97)
        pair(colours[i], colours[i]);
    std::mt19937 random(4500);
    for (const double threshold : {3.0, 4.5, 7.0}) {
        int found = 0;
        for (int i = 0; i < 20000000 && found < 200; ++i) {
            const TColor a = TColor(random() & 0xFFFFFF), b = TColor(random() & 0xFFFFFF);
            if (std::abs(ContrastRatio(a, b) - threshold) < 1e-3) {
                pair(a, b);
                pair(b, a);
                ++found;
            }
        }
    }
    std::mt19937 more(20261210);
    for (std::size_t i = 0; i < count; ++i) {
        const TColor text = TColor(more() & 0xFFFFFF);
        pair(text, TColor(more() & 0xFFFFFF));
    }
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 100000;
    const std::vector<TColor> colours = sample(count);
    for (TColor c : colours) {
        const std::string html = ColorToHtml(c);
        // Each form with the components to ten decimals beside it: what
        // the exact colour paints, should a browser's own arithmetic be
        // off by a step.
        const TRgb rgb = ColorToRgb(c);
        const TVec3 hsl = RgbToHsl(rgb), hwb = RgbToHwb(rgb), lab = RgbToLabD50(rgb), lch = LabToLch(lab),
                    oklab = RgbToOklab(rgb), oklch = LabToLch(oklab);
        const auto exact = [](const char *format, const TVec3 &v) {
            char text[160];
            std::snprintf(text, sizeof text, format, v.X, v.Y, v.Z);
            return std::string(text);
        };
        const std::pair<std::string, std::string> forms[] = {
            {html, html},
            {ColorToCssHsl(c), exact("hsl(%.10f, %.10f%%, %.10f%%)", hsl)},
            {ColorToCssHwb(c), exact("hwb(%.10f %.10f%% %.10f%%)", hwb)},
            {ColorToCssLab(c), exact("lab(%.10f %.10f %.10f)", lab)},
            {ColorToCssLch(c), exact("lch(%.10f %.10f %.10f)", lch)},
            {ColorToCssOklab(c), exact("oklab(%.10f %.10f %.10f)", oklab)},
            {ColorToCssOklch(c), exact("oklch(%.10f %.10f %.10f)", oklch)},
        };
        for (const auto &[text, precise] : forms)
            std::printf("copy\t%s\t%s\t%s\n", html.c_str(), text.c_str(), precise.c_str());
        if (const auto name = NameForColor(c); name && IsCssName(*name))
            std::printf("copy\t%s\t%.*s\t%.*s\n", html.c_str(), int(name->size()), name->data(), int(name->size()),
                        name->data());
    }
    // Typed texts of each syntax, many outside sRGB; the components stay
    // where CSS does not clamp them (a library need not clamp as CSS does).
    std::mt19937 random(17);
    const int texts = int(count / 20);
    for (int i = 0; i < texts; ++i) {
        const int d = int(random() % 4);
        typed("rgb", "rgb(" + number(random, 0, 255, d) + " " + number(random, 0, 255, d) + " "
                         + number(random, 0, 100, d) + "%)");
        typed("rgb", "rgba(" + number(random, 0, 255, 0) + ", " + number(random, 0, 255, 0) + ", "
                         + number(random, 0, 255, 0) + ", 1)");
        typed("hsl", "hsl(" + number(random, -400, 400, d) + "deg " + number(random, 0, 100, d) + "% "
                         + number(random, 0, 100, d) + "%)");
        typed("hsl", "hsl(" + number(random, 0, 1, 3) + "turn, " + number(random, 0, 100, d) + "%, "
                         + number(random, 0, 100, d) + "%)");
        typed("hwb", "hwb(" + number(random, 0, 360, d) + " " + number(random, 0, 70, d) + "% "
                         + number(random, 0, 70, d) + "%)");
        typed("lab", "lab(" + number(random, 0, 100, d) + " " + number(random, -130, 130, d) + " "
                         + number(random, -130, 130, d) + ")");
        typed("lch", "lch(" + number(random, 0, 100, d) + "% " + number(random, 0, 150, d) + " "
                         + number(random, 0, 6.3, 3) + "rad)");
        typed("oklab", "oklab(" + number(random, 0, 1, 3) + " " + number(random, -0.4, 0.4, 3) + " "
                           + number(random, -0.4, 0.4, 3) + ")");
        typed("oklch", "oklch(" + number(random, 0, 100, d) + "% " + number(random, 0, 0.4, 3) + " "
                           + number(random, 0, 400, d) + "grad)");
        for (const char *space : {"srgb", "srgb-linear", "display-p3", "a98-rgb", "prophoto-rgb", "rec2020", "xyz",
                                  "xyz-d50", "xyz-d65"})
            typed(space, std::string("color(") + space + " " + number(random, -0.1, 1.1, 4) + " "
                             + number(random, 0, 1, 4) + " " + number(random, 0, 100, 2) + "%)");
    }
    for (TColor c : colours) {
        if ((c & 63) != 0)
            continue;
        const double ratio = ContrastRatio(c, MakeColor(255, 255, 255));
        std::printf("contrast\t%s\t%.17g\t%s\t%.17g\t%.17g\n", ColorToHtml(c).c_str(), ratio, CutRatioText(ratio).c_str(),
                    ApcaContrast(MakeColor(255, 255, 255), c), ApcaContrast(MakeColor(0, 0, 0), c));
    }
    pairs(count, colours);
    return 0;
}
