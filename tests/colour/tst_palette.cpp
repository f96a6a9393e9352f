#include "palette.h"
#include "palettescan.h"
#include "csstext.h"

#include <QRandomGenerator>
#include <QTest>

#include <string>

Q_DECLARE_METATYPE(TPaletteFormat)

namespace {

QStringList found(const TPaletteScan &scan)
{
    QStringList colours;
    for (const TFoundColor &colour : scan.Colors)
        colours << QString::fromStdString(ColorToHtml(colour.Color));
    return colours;
}

const TCopyForm &form(char key)
{
    for (const TCopyForm &form : CopyForms)
        if (form.AccessKey == key)
            return form;
    qFatal("no copy form %c", key);
}

std::vector<TColor> colours(std::initializer_list<const char *> texts)
{
    std::vector<TColor> result;
    for (const char *text : texts)
        result.push_back(HtmlToColor(text));
    return result;
}

} // namespace

class tst_Palette : public QObject
{
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void limitsAndRepeats();
    void hostileText_data();
    void hostileText();
    void text_data();
    void text();
    void roundTrip();
    void runColours();
};

// Texts written after real files of each kind; the expected colours of the
// CSS Color 4 forms beyond hex and rgb() are colorjs.io's, gamut mapped the
// CSS way.
void tst_Palette::find_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("colours");
    QTest::addColumn<int>("transparent");
    QTest::addColumn<int>("mapped");

    QTest::newRow("framework custom properties in oklch")
        << QByteArray(":root {\n"
                      "  --color-red-500: oklch(63.7% 0.237 25.331);\n"
                      "  --color-blue-500: oklch(62.3% 0.214 259.815);\n"
                      "  --color-neutral-50: oklch(98.5% 0 0);\n"
                      "  --color-black: #000;\n"
                      "  --color-white: #fff;\n"
                      "  --spacing: 0.25rem;\n"
                      "  --font-sans: ui-sans-serif, system-ui, sans-serif;\n"
                      "}\n")
        << QStringList{"#FB2C36", "#2B7FFF", "#FAFAFA", "#000000", "#FFFFFF"} << 0 << 1;
    QTest::newRow("design tokens JSON")
        << QByteArray("{\n"
                      "  \"color\": {\n"
                      "    \"brand\": { \"$type\": \"color\", \"$value\": \"#0055ff\" },\n"
                      "    \"accent\": { \"$value\": \"rebeccapurple\", \"$description\": \"the red team's accent\" },\n"
                      "    \"shadow\": { \"$value\": \"rgb(0 0 0 / 50%)\" },\n"
                      "    \"green\": { \"$value\": \"oklch(72.3% 0.219 149.579)\" }\n"
                      "  }\n"
                      "}\n")
        << QStringList{"#0055FF", "#663399", "#00C950"} << 1 << 1;
    QTest::newRow("GIMP palette")
        << QByteArray("GIMP Palette\r\nName: Brand\r\nColumns: 4\r\n# #fff is a comment\r\n"
                      "255   0   0\tff0000\r\n  0 128   0\tgreen\r\n 18  52 86\r\n256 0 0\tnot a colour\r\n"
                      "1 2\tshort\r\n")
        << QStringList{"#FF0000", "#008000", "#123456"} << 0 << 0;
    QTest::newRow("prose") << QByteArray("The red team uses #1A2B3C and rgb(10, 20, 30); the blue one prefers\n"
                                         "hsl(120deg 100% 50%), or lab(50 40 -20) when it is tired.")
                           << QStringList{"#1A2B3C", "#0A141E", "#00FF00", "#AB5A9A"} << 0 << 0;
    QTest::newRow("names in declarations")
        << QByteArray("a { color: red; border: 1px solid NAVY }\n.red, #tan:hover { background: teal }")
        << QStringList{"#FF0000", "#000080", "#008080"} << 0 << 0;
    QTest::newRow("a key is no colour") << QByteArray("{\"red\": \"#00ff00\", \"list\": [\"tan\", \"gold\"]}")
                                        << QStringList{"#00FF00", "#D2B48C", "#FFD700"} << 0 << 0;
    QTest::newRow("a style sheet's text is no colour")
        << QByteArray(".note::before { content: \"red\"; color: \"navy\" }\n{ \"label\": \"tan\" }")
        << QStringList{"#D2B48C"} << 0 << 0;
    QTest::newRow("a list of names") << QByteArray("red\nGreen,\nblue;\n- white\n- white and blue\n1. black\n")
                                     << QStringList{"#FF0000", "#008000", "#0000FF", "#FFFFFF", "#000000"} << 0
                                     << 0;
    QTest::newRow("one value after a separator")
        << QByteArray("primary = teal\nNote: the red team\nsecondary: gold;\nred: blue\n")
        << QStringList{"#008080", "#FFD700", "#0000FF"} << 0 << 0;
    QTest::newRow("variables of Sass and Less")
        << QByteArray("$brand: coral;\n$text: darken($brand, 10%);\n@link: orchid;\n")
        << QStringList{"#FF7F50", "#DA70D6"} << 0 << 0;
    QTest::newRow("comments") << QByteArray("/* #111 */ #222 /* two\nlines #333 red */ #444\nnavy /* */")
                              << QStringList{"#222222", "#444444", "#000080"} << 0 << 0;
    QTest::newRow("no hex without its own #")
        << QByteArray("&#123; id#abc #abcg #12345 #1234567 #abc-d facade c0ffee")
        << QStringList{} << 0 << 0;
    QTest::newRow("transparent counted, never taken")
        << QByteArray("a { color: transparent; background: #0000; fill: rgb(1 2 3 / 0.5) }")
        << QStringList{} << 3 << 0;
    QTest::newRow("brackets unclosed and nested")
        << QByteArray("rgb(rgb(1 2 3)) var(--x, #fff) calc(rgb(4 5 6)) rgb(7 8 9")
        << QStringList{"#010203", "#FFFFFF", "#040506"} << 0 << 0;
    QTest::newRow("beside Japanese text") << QByteArray("背景は#ff8800で、文字はredにします。")
                                          << QStringList{"#FF8800"} << 0 << 0;
    QTest::newRow("HTML attributes") << QByteArray("<font color=\"red\"><p style=\"color: #00f\">the red team</p>")
                                     << QStringList{"#FF0000", "#0000FF"} << 0 << 0;
    QTest::newRow("outside sRGB") << QByteArray("color(display-p3 1 0 0)") << QStringList{"#FF0B0C"} << 0 << 1;
    QTest::newRow("prose after a stray brace")
        << QByteArray("Call it as `f() {` in the code.\nNote: the red team won; blue was second.\n"
                      "Status: we used green and tan everywhere.")
        << QStringList{} << 0 << 0;
    QTest::newRow("a path in prose is no comment")
        << QByteArray("Put the styles in src/*.css and use #ff0000 for errors.\nThe accent is #00ff00.")
        << QStringList{"#FF0000", "#00FF00"} << 0 << 0;
    QTest::newRow("after a byte order mark") << QByteArray("\xEF\xBB\xBFred\nnavy") << QStringList{"#FF0000", "#000080"}
                                             << 0 << 0;
    QTest::newRow("a script's theme object")
        << QByteArray("const theme = {\n  primary: \"#123456\",\n  \"danger\": \"red\",\n  muted: gray,\n};")
        << QStringList{"#123456", "#FF0000", "#808080"} << 0 << 0;
    QTest::newRow("a fragment is no colour") << QByteArray("a { fill: url(#abc); stroke: #abc }")
                                             << QStringList{"#AABBCC"} << 0 << 0;
}

void tst_Palette::find()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, colours);
    QFETCH(int, transparent);
    QFETCH(int, mapped);
    const std::string_view view(text.constData(), std::size_t(text.size()));
    const TPaletteScan scan = FindPaletteColors(view, 16);
    QCOMPARE(found(scan), colours);
    QCOMPARE(int(scan.Transparent), transparent);
    QCOMPARE(int(scan.Mapped), mapped);
    // Each text found reads alone to its colour.
    for (const TFoundColor &colour : scan.Colors) {
        const TCssColor read = ParseCssColor(view.substr(colour.Offset, colour.Length));
        if (!text.startsWith("GIMP"))
            QCOMPARE(read.Color, colour.Color);
    }
}

void tst_Palette::limitsAndRepeats()
{
    // 20 colours, the first five of them once more, with a transparent one.
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += ColorToHtml(MakeColor(i, 0, 0)) + " ";
    for (int i = 0; i < 5; ++i)
        text += ColorToHtml(MakeColor(i, 0, 0)) + " ";
    text += "#00000080";
    const TPaletteScan kept = FindPaletteColors(text, 16);
    QCOMPARE(kept.Colors.size(), std::size_t(16));
    QCOMPARE(kept.Beyond, std::size_t(9));
    QCOMPARE(kept.Repeats, std::size_t(0));
    QCOMPARE(kept.Transparent, std::size_t(1));
    const TPaletteScan skipped = FindPaletteColors(text, 16, TRepeats::Skip);
    QCOMPARE(skipped.Colors.size(), std::size_t(16));
    QCOMPARE(skipped.Colors.back().Color, MakeColor(15, 0, 0));
    QCOMPARE(skipped.Beyond, std::size_t(4));
    QCOMPARE(skipped.Repeats, std::size_t(5));
}

void tst_Palette::hostileText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("taken");
    QTest::addColumn<qint64>("beyond");
    QTest::addColumn<bool>("stops");

    // A line whose first 4096 items are colours is a palette line, so no
    // more of it is held in memory.
    QTest::newRow("a line of 4096 names") << QByteArray("red ").repeated(4096) << 16 << qint64(4096 - 16)
                                          << false;
    QTest::newRow("a line of ten million characters, all names")
        << QByteArray("red ").repeated(2'500'000) << 16 << qint64(2'500'000 - 16) << true;
    QTest::newRow("a line of ten million characters, a word at its end")
        << (QByteArray("red ").repeated(2'500'000) + "team") << 16 << qint64(2'500'000 - 16) << true;
    QTest::newRow("a line of prose, then ten million characters of names")
        << ("the " + QByteArray("red ").repeated(2'500'000)) << 0 << qint64(0) << true;
    QTest::newRow("a hundred thousand colours") << QByteArray("#123 ").repeated(100'000) << 16
                                                << qint64(100'000 - 16) << true;
    QTest::newRow("deeply nested brackets")
        << (QByteArray("rgb(").repeated(1'000'000) + "1 2 3" + QByteArray(")").repeated(1'000'000)) << 1
        << qint64(0) << true;
    QTest::newRow("an unclosed comment") << (QByteArray("/*") + QByteArray("#fff ").repeated(100'000)) << 16
                                         << qint64(100'000 - 16) << true;
    QTest::newRow("a comment of a megabyte") << ("/*" + QByteArray("#fff ").repeated(200'000) + "*/") << 0
                                             << qint64(0) << false;
    QTest::newRow("unclosed strings") << QByteArray("\"'\"'").repeated(1'000'000) << 0 << qint64(0) << true;
    QByteArray binary(1 << 20, '\0');
    QRandomGenerator random(7);
    for (char &byte : binary)
        byte = char(random.bounded(256));
    binary += "\n#abcdef";
    QTest::newRow("binary, then a colour") << binary << -1 << qint64(-1) << true;
}

void tst_Palette::hostileText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, taken);
    QFETCH(qint64, beyond);
    QFETCH(bool, stops);
    const TPaletteScan scan = FindPaletteColors(std::string_view(text.constData(), std::size_t(text.size())), 16);
    if (taken < 0) {
        QVERIFY(!scan.Colors.empty());
        QCOMPARE(scan.Colors.back().Color, MakeColor(0xAB, 0xCD, 0xEF));
    } else {
        QCOMPARE(int(scan.Colors.size()), taken);
        QCOMPARE(qint64(scan.Beyond), beyond);
    }
    QVERIFY(!scan.Stopped);

    // Asked to stop after the first 64 KiB, it stops there.
    int asked = 0;
    const TPaletteScan stopped = FindPaletteColors(std::string_view(text.constData(), std::size_t(text.size())), 16,
                                                   TRepeats::Keep, [&asked] { return ++asked < 2; });
    QCOMPARE(stopped.Stopped, stops);
    QCOMPARE(asked, stops ? 2 : 1);
}

void tst_Palette::text_data()
{
    QTest::addColumn<TPaletteFormat>("format");
    QTest::addColumn<char>("form");
    QTest::addColumn<QString>("expected");

    // red, a colour without a name, red again, cyan (also called aqua).
    QTest::newRow("custom properties") << TPaletteFormat::CustomProperties << 'H'
                                       << ":root {\n  --red: #FF0000;\n  --color-2: #123456;\n  --red-2: #FF0000;\n"
                                          "  --cyan: #00FFFF;\n}\n";
    QTest::newRow("Sass") << TPaletteFormat::Sass << 'R'
                          << "$red: rgb(255, 0, 0);\n$color-2: rgb(18, 52, 86);\n$red-2: rgb(255, 0, 0);\n"
                             "$cyan: rgb(0, 255, 255);\n";
    QTest::newRow("JSON array") << TPaletteFormat::JsonArray << 'H'
                                << "[\n  \"#FF0000\",\n  \"#123456\",\n  \"#FF0000\",\n  \"#00FFFF\"\n]\n";
    QTest::newRow("JSON object") << TPaletteFormat::JsonObject << 'L'
                                 << "{\n  \"red\": \"hsl(0, 100%, 50%)\",\n  \"color-2\": \"hsl(210, 65%, 20.4%)\",\n"
                                    "  \"red-2\": \"hsl(0, 100%, 50%)\",\n  \"cyan\": \"hsl(180, 100%, 50%)\"\n}\n";
    QTest::newRow("GIMP palette") << TPaletteFormat::Gimp << 'H'
                                  << "GIMP Palette\nName: Tintaro\nColumns: 8\n#\n255   0   0\tred\n"
                                     " 18  52  86\tcolor-2\n255   0   0\tred-2\n  0 255 255\tcyan\n";
    QTest::newRow("list") << TPaletteFormat::List << 'H' << "#FF0000\n#123456\n#FF0000\n#00FFFF\n";
}

void tst_Palette::text()
{
    QFETCH(TPaletteFormat, format);
    QFETCH(char, form);
    QFETCH(QString, expected);
    const auto palette = colours({"#FF0000", "#123456", "#FF0000", "#00FFFF"});
    QCOMPARE(QString::fromStdString(PaletteText(palette, format, ::form(form))), expected);
}

void tst_Palette::roundTrip()
{
    // Every format in every CSS form reads back as the palette it was made
    // from, repeats and all.
    constexpr TPaletteFormat Formats[] = {TPaletteFormat::CustomProperties, TPaletteFormat::Sass,
                                          TPaletteFormat::JsonArray,        TPaletteFormat::JsonObject,
                                          TPaletteFormat::Gimp,             TPaletteFormat::List};
    std::vector<const TCopyForm *> forms;
    for (const TCopyForm &form : CopyForms)
        if (form.CssValue)
            forms.push_back(&form);
    QRandomGenerator random(2026);
    for (int round = 0; round < 10'000; ++round) {
        std::vector<TColor> palette(std::size_t(random.bounded(1, 17)));
        for (TColor &colour : palette)
            colour = random.bounded(4) == 0 ? ColorOfRow(random.bounded(NamedColorCount))  // names, repeated
                                            : TColor(random.bounded(1 << 24));
        const TPaletteFormat format = Formats[random.bounded(6)];
        const TCopyForm &form = *forms[std::size_t(random.bounded(int(forms.size())))];
        const std::string text = PaletteText(palette, format, form);
        std::vector<TColor> back;
        for (const TFoundColor &colour : FindPaletteColors(text, 16).Colors)
            back.push_back(colour.Color);
        if (back != palette)
            QFAIL(qPrintable(QStringLiteral("form %1 did not read back:\n%2").arg(form.AccessKey)
                                 .arg(QString::fromStdString(text))));
    }
}

void tst_Palette::runColours()
{
    TRunColors run;
    for (const char *colour : {"#000001", "#000002", "#000001", "#000003", "#000004", "#000005", "#000006",
                               "#000007", "#000008", "#000009", "#000003"})
        run.add(HtmlToColor(colour));
    QCOMPARE(run.colors(), colours({"#000003", "#000009", "#000008", "#000007", "#000006", "#000005", "#000004",
                                    "#000001"}));
}

QTEST_APPLESS_MAIN(tst_Palette)
#include "tst_palette.moc"
