// The colour model's CSS Color 4 side: the reader of typed colours (rows
// from the CSS Working Group's parsing tests and by hand), the copied forms,
// every colour's copied forms read back, the WCAG ratios and verdicts, APCA
// Lc and the nearest colour that passes AA.
#include "colour.h"
#include "contrast.h"
#include "css.h"
#include "csstext.h"
#include "nearest.h"
#include "typedcolour.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(std::string)

class tst_Css : public QObject
{
    Q_OBJECT

private slots:
    void cssColor_data();
    void cssColor();
    void cssForms_data();
    void cssForms();
    void everyCopiedFormReadsBack();
    void wcag_data();
    void wcag();
    void apca_data();
    void apca();
    void nearestPassing_data();
    void nearestPassing();
};

namespace {

QString describe(const TCssColor &color)
{
    switch (color.Status) {
    case TCssStatus::Color:
        return QString::fromStdString(ColorToHtml(color.Color)) + (color.GamutMapped ? " mapped" : "");
    case TCssStatus::Transparent:
        return "transparent";
    case TCssStatus::DigitsOnly:
        return "digits";
    case TCssStatus::Unreadable:
        break;
    }
    return "refused";
}

} // namespace

void tst_Css::cssColor_data()
{
    // expected: "#RRGGBB" (with " mapped" when brought into sRGB),
    // "transparent", "digits", "refused", or "= text" for a text that must
    // read as the same.
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *text, const char *expected) {
        QTest::newRow(text) << std::string(text) << QString::fromUtf8(expected);
    };
    // From the CSS Working Group's parsing tests (valid and invalid rgb(),
    // hsl(), hwb(), lab() families and color()); alpha below 1 is refused
    // here as transparent.
    row("rgb(none none none)", "#000000");
    row("rgb(128 none none)", "#800000");
    row("rgb(20% none none)", "#330000");
    row("rgb(none none none / .5)", "transparent");
    row("rgb(128 none none / none)", "transparent");
    row("rgba(20% none none)", "#330000");
    row("rgb(-2 3 4)", "#000304");
    row("rgb(-20% 20% 40%)", "#003366");
    row("rgb(257 30 40)", "#FF1E28");
    row("rgb(250% 20% 40%)", "#FF3366");
    row("rgba(-2 3 4 / .5)", "transparent");
    row("rgba(257 30 40 / 50%)", "transparent");
    row("hsl(120 30% 50%)", "#59A659");
    row("hsl(120 30% 50% / 0.5)", "transparent");
    row("hsl(0 0% 0% / 0)", "transparent");
    row("hsla(0 0% 0%)", "#000000");
    row("hsl(120 0% 50%)", "#808080");
    row("hsl(0 100% 50%)", "#FF0000");
    row("hsl(10 100% 50%)", "#FF2B00");
    row("hsl(0 0% 49.99999%)", "#7F7F7F");
    row("hsl(0 0% 49.999999%)", "#808080");
    row("hsl(120 30 50)", "#59A659");
    row("hsl(120 30% 50)", "#59A659");
    row("hsl(120 30 50%)", "#59A659");
    row("hsl(0 -50% 40%)", "#666666");
    row("hsl(30 -50 60)", "#999999");
    row("hwb(120 30% 50%)", "#4D804D");
    row("hwb(0 0% 0%)", "#FF0000");
    row("hwb(120 0% 0%)", "#00FF00");
    row("hwb(120 80% 0%)", "#CCFFCC");
    row("hwb(120 0% 50%)", "#008000");
    row("hwb(120 30 50)", "#4D804D");
    row("hwb(320deg 30% 40%)", "#994D80");
    row("hwb(0deg 10% 50%)", "#801A1A");
    row("hwb(120deg 10% 50%)", "#1A801A");
    row("hwb(0 20% 100%)", "#2B2B2B");
    row("hwb(0 100% 50% / 0)", "transparent");
    row("lab(0 0 0)", "#000000");
    row("lab(0 0 0 / 1)", "#000000");
    row("lab(20 0 10/0.5)", "transparent");
    row("lab(0 0 0 / 110%)", "#000000");
    row("lab(0 0 0 / 300%)", "#000000");
    row("lab(-40 0 0)", "= lab(0 0 0)");
    row("lab(50 -20 0)", "= lab(50 -20 0)");
    row("lab(0 0 0 / none)", "transparent");
    row("oklab(0 0 0)", "#000000");
    row("oklab(-0.4 0 0)", "#000000");
    row("oklab(0.2 0 0.1/50%)", "transparent");
    row("oklab(0 0 0 / 110%)", "#000000");
    row("lch(0 0 0deg)", "#000000");
    row("lch(10 20 380deg)", "= lch(10 20 20)");
    row("lch(10 20 -340deg)", "= lch(10 20 20)");
    row("lch(10 20 740deg)", "= lch(10 20 20)");
    row("lch(10 20 -700)", "= lch(10 20 20)");
    row("lch(10 20 1.28rad)", "= lch(10 20 73.3386)");
    row("lch(20 -20 0)", "= lch(20 0 0)");
    row("lch(10 20 20 / 110%)", "= lch(10 20 20)");
    row("oklch(0 0 0deg)", "#000000");
    row("oklch(0.1 0.2 380deg)", "= oklch(0.1 0.2 20)");
    row("oklch(0.1 0.2 -700deg)", "= oklch(0.1 0.2 20)");
    row("oklch(0.1 0.2 1.28rad)", "= oklch(0.1 0.2 73.3386)");
    row("oklch(0.2 -0.2 0)", "= oklch(0.2 0 0)");
    row("oklch(-4 0 0)", "#000000");
    for (const std::string space : {"srgb", "srgb-linear", "a98-rgb", "rec2020", "prophoto-rgb", "display-p3", "xyz",
                                    "xyz-d50", "xyz-d65"}) {
        const auto same = [&](const std::string &text, const std::string &as) {
            QTest::addRow("%s", text.c_str()) << text << QString::fromStdString("= " + as);
        };
        const auto refused = [&](const std::string &text, const char *why) {
            QTest::addRow("%s", text.c_str()) << text << QString::fromLatin1(why);
        };
        const std::string f = "color(" + space + " ";
        same(f + "10% 10% 10%)", f + "0.1 0.1 0.1)");
        same(f + ".2 .2 25%)", f + "0.2 0.2 0.25)");
        same(f + "0 0 0 / 1)", f + "0 0 0)");
        same(f + "0 0 0 / 110%)", f + "0 0 0)");
        same(f + "200% 200% 200%)", f + "2 2 2)");
        same(f + "none none none)", f + "0 0 0)");
        refused(f + "20% 0 10/0.5)", "transparent");
        refused(f + "0 0 0 / -10%)", "transparent");
        refused(f + "0 0 0 / none)", "transparent");
    }
    row("color(xyz 0.1 0.1 0.1)", "= color(xyz-d65 0.1 0.1 0.1)");
    row("auto", "refused");
    row("123", "digits");
    row("#12", "refused");
    row("#123456789", "refused");
    row("rgb", "refused");
    row("rgb(1)", "refused");
    row("rgb(1,2,3,4,5)", "refused");
    row("hsla(1,2,3,4,5)", "refused");
    row("rgb(10%, 20, 30%)", "refused");
    row("rgba(-2, 300, 400%, -0.5)", "refused");
    row("hwba(120 30% 50%)", "refused");
    row("color(srgb 0 0 0 0)", "refused");
    row("color(srgb 0deg 0% 0)", "refused");
    row("color(srgb-linear 0% 0 0 1)", "refused");
    row("color(a98-rgb 0% 0 0deg)", "refused");
    row("color(rec2020 40% 0 0deg)", "refused");
    row("color(xyz 0 0 0 0)", "refused");
    row("color(xyz-d50 0% 0% 0deg)", "refused");
    row("lab(0% 0 0 1)", "refused");
    row("oklab(40% 0 0deg)", "refused");
    row("color(lab 20% 0 10 / 50%)", "refused");
    row("lch(20% 10 10deg 10)", "refused");
    row("oklch(20% 10 10deg 10 / 0.5)", "refused");
    row("color(oklch 20% 0 10 / 50%)", "refused");
    // Hex forms, names and the text without "#".
    row("#FFC800", "#FFC800");
    row("#ffc800ff", "#FFC800");
    row("#ffc80080", "transparent");
    row("#F80", "#FF8800");
    row("#F80F", "#FF8800");
    row("#F808", "transparent");
    row("FFC800", "#FFC800");
    row("ffc800", "#FFC800");
    row("197121", "digits");
    row("16777215", "digits");
    row("0", "digits");
    row("  051455 ", "digits");
    row("#197121", "#197121");
    row("rebeccapurple", "#663399");
    row("RebeccaPurple", "#663399");
    row("grey", "#808080");
    row("LightGray", "#D3D3D3");
    row("slategrey", "#708090");
    row("brass", "#B5A642");
    row("BRASS *", "#B5A642");
    row("transparent", "transparent");
    row("Transparent", "transparent");
    row("currentcolor", "refused");
    // The syntaxes, by hand.
    row("rgb(255, 200, 0)", "#FFC800");
    row("RGBA(255,200,0,1)", "#FFC800");
    row("rgb(255 200 0)", "#FFC800");
    row("rgb(100% 78.4314% 0%)", "#FFC800");
    row("rgb(127.5, 0, 0)", "#800000");
    row("rgb(127.4 0 0)", "#7F0000");
    row("rgb(+1, 1e0, 10e-1)", "#010101");
    row("rgb(99999999999999999999, 0, 0)", "#FF0000");
    row("rgb(1e999 0 0)", "#FF0000");
    // A unit is an identifier: it runs on over letters, digits, "-", "_"
    // and non-ASCII, so these are units no browser knows.
    row("hsl(120deg100 50%)", "refused");
    row("hwb(0deg0 0%)", "refused");
    row("hsl(0.5deg-1 255)", "refused");
    row("hsl(120deg_ 100% 50%)", "refused");
    row("hsl(120deg\xC2\xB0 100% 50%)", "refused");
    row("rgb(1-2 3)", "#010003");
    row("lab(50 -20-20)", "= lab(50 -20 -20)");
    row("lch(50 30 1e1deg)", "= lch(50 30 10)");
    // Numbers beyond a double: too small is 0, too large the largest value,
    // whichever the sign of the exponent.
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::string vast = "1" + std::string(400, '0');
    const auto beyond = [](const char *name, const std::string &text, const char *expected) {
        QTest::newRow(name) << text << QString::fromUtf8(expected);
    };
    beyond("rgb(tiny 0 0)", "rgb(" + tiny + " 0 0)", "#000000");
    beyond("lab(tiny 0 0)", "lab(" + tiny + " 0 0)", "#000000");
    beyond("color(srgb tiny 0 0)", "color(srgb " + tiny + " 0 0)", "#000000");
    beyond("rgb(255 0 0 / tiny)", "rgb(255 0 0 / " + tiny + ")", "transparent");
    beyond("hsl(tiny 100% 50%)", "hsl(" + tiny + " 100% 50%)", "#FF0000");
    beyond("rgb(-tiny 0 0)", "rgb(-" + tiny + " 0 0)", "#000000");
    beyond("rgb(vast e-1 0 0)", "rgb(" + vast + "e-1 0 0)", "#FF0000");
    beyond("rgb(-vast e-1 0 0)", "rgb(-" + vast + "e-1 0 0)", "#000000");
    beyond("rgb(tiny e999 0 0)", "rgb(" + tiny + "e999 0 0)", "#FF0000");
    beyond("rgb(vast e-390 0 0)", "rgb(" + vast + "e-390 0 0)", "#FF0000");
    beyond("rgb(vast e-399 0 0)", "rgb(" + vast + "e-399 0 0)", "#0A0000");
    beyond("rgb(1e-99999999999999999999 0 0)", "rgb(1e-99999999999999999999 0 0)", "#000000");
    beyond("rgb(1e99999999999999999999 0 0)", "rgb(1e99999999999999999999 0 0)", "#FF0000");
    row("rgb(1 2 3 / 1)", "#010203");
    row("rgb(1 2 3 / 100%)", "#010203");
    row("rgb(1 2 3 / 0.999)", "transparent");
    row("rgb(1, 2, 3, 0.5)", "transparent");
    row("rgb(1, 2, none)", "refused");
    row("rgb(1 2, 3)", "refused");
    row("rgb(1 2 3 /)", "refused");
    row("rgb(1 2 3 / 1 / 1)", "refused");
    row("rgb (1, 2, 3)", "refused");
    row("rgb(1, 2, 3", "refused");
    row("rgb(1., 2, 3)", "refused");
    row("rgb(1e, 2, 3)", "refused");
    row("rgb(1px, 2, 3)", "refused");
    row("rgb((1, 2, 3))", "refused");
    row("hsl(47, 100%, 50%)", "#FFC800");
    row("hsl(210, 65%, 20%)", "#123354");
    row("hsl(210, 65%, 20.4%)", "#123456");
    row("hsl(47, 100, 50)", "refused");
    row("hsl(none, 100%, 50%)", "refused");
    row("hsl(0.5turn 100% 50%)", "#00FFFF");
    row("hsl(200grad 100% 50%)", "#00FFFF");
    row("hsl(3.14159265rad 100% 50%)", "#00FFFF");
    row("hsl(180DEG 100% 50%)", "#00FFFF");
    row("hsl(180 100% 50% / 1)", "#00FFFF");
    row("hsl(180 100% 150%)", "#FFFFFF");
    row("hsl(180 250% 50%)", "#00FFFF");
    row("hwb(60 20% 20%)", "#CCCC33");
    row("hwb(60, 20%, 20%)", "refused");
    row("lab(100 0 0)", "#FFFFFF");
    row("lab(400 0 0)", "#FFFFFF");
    row("lab(100% 0 0)", "#FFFFFF");
    row("oklab(1 0 0)", "#FFFFFF");
    row("oklab(100% 0 0)", "#FFFFFF");
    row("oklch(100% 0 0)", "#FFFFFF");
    row("oklch(0% 0.3 30)", "#000000 mapped");
    row("oklch(1 0.4 30)", "#FFFFFF mapped");
    // 100% of a or b is 125, of lch's chroma 150 (colorjs.io: lab(50 62.5
    // 25) is #D73851, lch(50 75 20) #E02451).
    row("lab(50 50% 20%)", "#D73851");
    row("lch(50 50% 20)", "#E02451");
    row("color(srgb 1 0.784314 0)", "#FFC800");
    row("color(srgb 100% 78.4314% 0%)", "#FFC800");
    row("color(srgb-linear 1 1 1)", "#FFFFFF");
    row("color(srgb-linear 0.21586 0 0)", "#800000");
    row("color(xyz 0 0 0)", "#000000");
    row("color(xyz-d65 0.95047 1 1.08883)", "#FFFFFF");
    row("color(SRGB 0 0 1)", "#0000FF");
    // Gamut mapped by colorjs.io's implementation of CSS's method.
    row("color(srgb 1.5 0 0)", "#FFB7A9 mapped");
    row("oklch(0.7 0.4 30)", "#FF5843 mapped");
    row("color(display-p3 0 1 0)", "mapped");
    row("lab(50 -200 200)", "mapped");
    row("oklab(0.5 -2 0)", "mapped");
    row("color(srgb 1.001 0 0)", "#FF0000");
    row("color(srgb -0.001 0 0)", "#000000");
    row("color(srgb 1 0 0 / 0.5)", "transparent");
    row("color(display-p3 1 0 0)", "= color(display-p3 1 0 0)");
    row("color(unknown 1 0 0)", "refused");
    row("color(srgb 1 0)", "refused");
    row("", "refused");
    row("#", "refused");
    row("()", "refused");
    row("rgb()", "refused");
    row("-1", "refused");
    row("1.5", "refused");
    row("１２３", "refused");
}

void tst_Css::cssColor()
{
    QFETCH(std::string, text);
    QFETCH(QString, expected);
    const TCssColor color = ParseCssColor(text);
    if (expected == "mapped") {
        QCOMPARE(color.Status, TCssStatus::Color);
        QVERIFY(color.GamutMapped);
    } else if (expected.startsWith("= ")) {
        const TCssColor same = ParseCssColor(expected.mid(2).toStdString());
        QCOMPARE(color.Status, TCssStatus::Color);
        QCOMPARE(describe(color), describe(same));
    } else {
        QCOMPARE(describe(color), expected);
    }
    QVERIFY(!CssColorMessage(color).empty() || (color.Status == TCssStatus::Color && !color.GamutMapped));
    // The old reader takes every text it took before to the same colour,
    // but for digits only, which it read as hexadecimal.
    if (const auto old = ParseTypedColor(text); old && color.Status != TCssStatus::DigitsOnly)
        QCOMPARE(describe(color), QString::fromStdString(ColorToHtml(*old)));
}

void tst_Css::cssForms_data()
{
    // Worked by hand: hsl(210, 65%, 20%) paints #123354, 20.4% is the
    // fewest decimals for #123456; exact colours take no decimals. The lch
    // and oklch components are colorjs.io's, to the decimals the text has:
    // its hues lie in 0 .. 360 (blue's OKLCH hue 264.052, not -95.948), and
    // #040001's OKLCH hue 359.68 rounds to a whole turn, written 0.
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("hsl");
    QTest::addColumn<QString>("hwb");
    QTest::addColumn<QString>("lab");
    QTest::addColumn<QString>("lch");
    QTest::addColumn<QString>("oklch");
    QTest::newRow("#FFC800") << MakeColor(255, 200, 0) << "hsl(47, 100%, 50%)" << "hwb(47 0% 0%)" << "" << "" << "";
    QTest::newRow("#123456") << MakeColor(0x12, 0x34, 0x56) << "hsl(210, 65%, 20.4%)" << "" << ""
                             << "lch(20.7 24.7 264.7)" << "oklch(0.319 0.072 251)";
    QTest::newRow("black") << MakeColor(0, 0, 0) << "hsl(0, 0%, 0%)" << "hwb(0 0% 100%)" << "lab(0 0 0)" << ""
                           << "oklch(0 0 0)";
    QTest::newRow("white") << MakeColor(255, 255, 255) << "hsl(0, 0%, 100%)" << "hwb(0 100% 0%)" << "lab(100 0 0)"
                           << "" << "oklch(1 0 0)";
    QTest::newRow("red") << MakeColor(255, 0, 0) << "hsl(0, 100%, 50%)" << "hwb(0 0% 0%)" << "" << "" << "";
    QTest::newRow("blue") << MakeColor(0, 0, 255) << "hsl(240, 100%, 50%)" << "hwb(240 0% 0%)" << ""
                          << "lch(29.568 131.2 301.3643)" << "oklch(0.45201 0.31321 264.052)";
    QTest::newRow("#336699") << MakeColor(0x33, 0x66, 0x99) << "hsl(210, 50%, 40%)" << "hwb(210 20% 40%)" << ""
                             << "" << "";
    QTest::newRow("#040001: a hue rounded to 360 is 0") << MakeColor(4, 0, 1) << "hsl(345, 100%, 0.8%)" << "" << ""
                                                        << "" << "oklch(0.07 0.03 0)";
}

void tst_Css::cssForms()
{
    QFETCH(int, color);
    QFETCH(QString, hsl);
    QFETCH(QString, hwb);
    QFETCH(QString, lab);
    QFETCH(QString, lch);
    QFETCH(QString, oklch);
    QCOMPARE(QString::fromStdString(ColorToCssHsl(color)), hsl);
    if (!hwb.isEmpty())
        QCOMPARE(QString::fromStdString(ColorToCssHwb(color)), hwb);
    if (!lab.isEmpty())
        QCOMPARE(QString::fromStdString(ColorToCssLab(color)), lab);
    if (!lch.isEmpty())
        QCOMPARE(QString::fromStdString(ColorToCssLch(color)), lch);
    if (!oklch.isEmpty())
        QCOMPARE(QString::fromStdString(ColorToCssOklch(color)), oklch);
}

void tst_Css::everyCopiedFormReadsBack()
{
    // Every colour in the ordinary build; the sanitized build, many times
    // slower, takes every 97th.
#ifdef TINTARO_SANITIZED_BUILD
    constexpr int Step = 97;
#else
    constexpr int Step = 1;
#endif
    std::string (*const forms[])(TColor) = {ColorToCssHsl, ColorToCssHwb, ColorToCssLab,
                                            ColorToCssLch, ColorToCssOklab, ColorToCssOklch};
    // One share of the colours for each core; the first failure of each
    // share is reported.
    const unsigned shares = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::string> failures(shares);
    std::vector<long long> counts(shares);
    std::vector<std::thread> threads;
    for (unsigned share = 0; share < shares; ++share) {
        threads.emplace_back([&, share] {
            for (TColor color = TColor(share) * Step; color < (1 << 24); color += TColor(shares) * Step) {
                for (const auto form : forms) {
                    const std::string text = form(color);
                    const TCssColor read = ParseCssColor(text);
                    if (read.Status != TCssStatus::Color || read.Color != color || read.GamutMapped) {
                        failures[share] = text + " read back as " + describe(read).toStdString() + ", not "
                            + ColorToHtml(color);
                        return;
                    }
                    // hsl() and hwb() lead with the hue, lch() and oklch() end with it.
                    const bool hueLast = text[1] == 'c' || text[3] == 'c';
                    const std::size_t hueAt = hueLast ? text.rfind(' ') + 1 : text.find('(') + 1;
                    const double hue = std::strtod(text.c_str() + hueAt, nullptr);
                    if ((text[0] == 'h' || hueLast) && !(hue >= 0 && hue < 360)) {
                        failures[share] = text + " has a hue outside 0 .. 360";
                        return;
                    }
                    ++counts[share];
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const std::string &failure : failures)
        QVERIFY2(failure.empty(), failure.c_str());
    const long long texts = std::accumulate(counts.begin(), counts.end(), 0LL);
    QCOMPARE(texts, 6LL * (((1 << 24) + Step - 1) / Step));
    qInfo("%lld texts read back", texts);
}

void tst_Css::wcag_data()
{
    // Ratios as WCAG's working group and colorjs.io publish them: 4.478 for
    // #777777 on white, 4.542 for #767676.
    QTest::addColumn<int>("foreground");
    QTest::addColumn<int>("background");
    QTest::addColumn<QString>("cut");
    QTest::addColumn<QString>("verdicts");  // AA AAA, large AA AAA: "+" pass, "-" fail
    const TColor white = MakeColor(255, 255, 255);
    const TColor black = MakeColor(0, 0, 0);
    QTest::newRow("#777777 on white: 4.478 fails AA") << MakeColor(0x77, 0x77, 0x77) << white << "4.47:1" << "--+-";
    QTest::newRow("#767676 on white: 4.542") << MakeColor(0x76, 0x76, 0x76) << white << "4.54:1" << "+-++";
    QTest::newRow("black on white") << black << white << "21.00:1" << "++++";
    QTest::newRow("equal colours") << MakeColor(9, 9, 9) << MakeColor(9, 9, 9) << "1.00:1" << "----";
    QTest::newRow("#595959 on white: 7.004") << MakeColor(0x59, 0x59, 0x59) << white << "7.00:1" << "++++";
    QTest::newRow("#5A5A5A on white: 6.897, cut") << MakeColor(0x5A, 0x5A, 0x5A) << white << "6.89:1" << "+-++";
    QTest::newRow("#949494 on white: 3.03") << MakeColor(0x94, 0x94, 0x94) << white << "3.03:1" << "--+-";
    QTest::newRow("#959595 on white: 2.99") << MakeColor(0x95, 0x95, 0x95) << white << "2.99:1" << "----";
    QTest::newRow("#FFC800 and black") << MakeColor(255, 200, 0) << black << "13.51:1" << "++++";
}

void tst_Css::wcag()
{
    QFETCH(int, foreground);
    QFETCH(int, background);
    QFETCH(QString, cut);
    QFETCH(QString, verdicts);
    const double ratio = ContrastRatio(foreground, background);
    QCOMPARE(QString::fromStdString(CutRatioText(ratio)), cut);
    const TWcagVerdict verdict = WcagVerdict(ratio);
    const auto sign = [](bool pass) { return pass ? QLatin1Char('+') : QLatin1Char('-'); };
    QCOMPARE(QString() + sign(verdict.AA) + sign(verdict.AAA) + sign(verdict.LargeAA) + sign(verdict.LargeAAA),
             verdicts);
}

void tst_Css::apca_data()
{
    // APCA-W3 0.0.98G-4g's own test vectors.
    QTest::addColumn<int>("text");
    QTest::addColumn<int>("background");
    QTest::addColumn<double>("lc");
    QTest::newRow("#888 on #FFF") << MakeColor(0x88, 0x88, 0x88) << MakeColor(255, 255, 255) << 63.056469930209424;
    QTest::newRow("#FFF on #888") << MakeColor(255, 255, 255) << MakeColor(0x88, 0x88, 0x88) << -68.54146436644962;
    QTest::newRow("#000 on #AAA") << MakeColor(0, 0, 0) << MakeColor(0xAA, 0xAA, 0xAA) << 58.146262578561334;
    QTest::newRow("#AAA on #000") << MakeColor(0xAA, 0xAA, 0xAA) << MakeColor(0, 0, 0) << -56.24113336839742;
    QTest::newRow("#123 on #DEF") << MakeColor(0x11, 0x22, 0x33) << MakeColor(0xDD, 0xEE, 0xFF) << 91.66830811481631;
    QTest::newRow("#DEF on #123") << MakeColor(0xDD, 0xEE, 0xFF) << MakeColor(0x11, 0x22, 0x33) << -93.06770049484275;
    // The pair published as "#123 vs #444" and "#234 vs #444": the second
    // is #444 on #123 (apca-w3 0.1.9 gives -7.526878460278154 for it and 0
    // for #223344 and #444444 either way round). Just past the clip.
    QTest::newRow("#123 on #444") << MakeColor(0x11, 0x22, 0x33) << MakeColor(0x44, 0x44, 0x44) << 8.32326136957393;
    QTest::newRow("#444 on #123") << MakeColor(0x44, 0x44, 0x44) << MakeColor(0x11, 0x22, 0x33)
                                  << -7.526878460278154;
    QTest::newRow("#123 on #234: below the clip") << MakeColor(0x11, 0x22, 0x33) << MakeColor(0x22, 0x33, 0x44)
                                                  << 0.0;
}

void tst_Css::apca()
{
    QFETCH(int, text);
    QFETCH(int, background);
    QFETCH(double, lc);
    QVERIFY2(std::abs(ApcaContrast(text, background) - lc) < 1e-9,
             qPrintable(QString::number(ApcaContrast(text, background), 'g', 17)));
}

void tst_Css::nearestPassing_data()
{
    // Greys by hand: #777777 on white is 4.478 and #767676 4.542, so
    // #767676 is the lightest grey that passes with white; #747474 on black
    // is 4.493 and #757575 4.557, the darkest that passes with black.
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("text");
    QTest::addColumn<QString>("nearest");  // empty: passes already
    const TColor white = MakeColor(255, 255, 255);
    const TColor black = MakeColor(0, 0, 0);
    QTest::newRow("#777777, white text") << MakeColor(0x77, 0x77, 0x77) << white << "#767676";
    QTest::newRow("#808080, white text") << MakeColor(0x80, 0x80, 0x80) << white << "#767676";
    QTest::newRow("#777777, black text") << MakeColor(0x77, 0x77, 0x77) << black << "";
    QTest::newRow("#707070, black text") << MakeColor(0x70, 0x70, 0x70) << black << "#757575";
    QTest::newRow("white, white text") << white << white << "#767676";
    QTest::newRow("black, black text") << black << black << "#757575";
    QTest::newRow("#FFC800, black text") << MakeColor(255, 200, 0) << black << "";
    // #FFD700 has luminance 0.69863, so a background passes under it at
    // 0.11636 or less: #5F5F5F (0.11443) does and #606060 (0.11697) does
    // not; no lighter colour than white passes, so the answer is darker.
    QTest::newRow("white, #FFD700 text") << white << MakeColor(255, 215, 0) << "#5F5F5F";
}

void tst_Css::nearestPassing()
{
    QFETCH(int, background);
    QFETCH(int, text);
    QFETCH(QString, nearest);
    const auto found = NearestPassingAA(background, text);
    QCOMPARE(found ? QString::fromStdString(ColorToHtml(*found)) : QString(), nearest);
    if (found)
        QVERIFY(ContrastRatio(*found, text) >= 4.5);
    // Over many colours: the answer passes, keeps the hue and chroma where
    // sRGB has them, and a lightness step back towards the colour fails.
    if (QTest::currentDataTag() != QLatin1String("#777777, white text"))
        return;
    std::mt19937 random(17);
    const TColor white = MakeColor(255, 255, 255);
    const TColor black = MakeColor(0, 0, 0);
    for (int i = 0; i < 2000; ++i) {
        const TColor color = TColor(random() & 0xFFFFFF);
        const TColor other = TColor(random() & 0xFFFFFF);
        for (const TColor against : {white, black, other}) {
            const auto passing = NearestPassingAA(color, against);
            if (!passing) {
                QVERIFY(ContrastRatio(color, against) >= 4.5);
                continue;
            }
            QVERIFY(ContrastRatio(color, against) < 4.5);
            QVERIFY(ContrastRatio(*passing, against) >= 4.5);
            const TVec3 from = LabToLch(RgbToOklab(ColorToRgb(color)));
            const TVec3 to = LabToLch(RgbToOklab(ColorToRgb(*passing)));
            QVERIFY(to.Y <= from.Y + 0.01);
            // The hue is kept unless gamut mapping clipped a channel.
            const auto edge = [](int channel) { return channel == 0 || channel == 255; };
            const bool clipped = edge(GetRValue(*passing)) || edge(GetGValue(*passing)) || edge(GetBValue(*passing));
            if (to.Y > 0.05 && !clipped)
                QVERIFY2(std::abs(std::remainder(to.Z - from.Z, 360)) < 3, ColorToHtml(color).c_str());
            // Lightness 0.01 back towards the colour fails again.
            const double back = to.X < from.X ? 0.01 : -0.01;
            if (std::abs(to.X - from.X) > 0.01) {
                const TColor closer = MapOklchToSrgb({to.X + back, from.Y, from.Z}).Color;
                QVERIFY2(ContrastRatio(closer, against) < 4.5, ColorToHtml(color).c_str());
            }
        }
    }
}

QTEST_APPLESS_MAIN(tst_Css)
#include "tst_css.moc"
