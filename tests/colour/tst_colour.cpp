#include "colour.h"
#include "nearest.h"
#include "typedcolour.h"

#include <QColor>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

Q_DECLARE_METATYPE(std::string)

class tst_Colour : public QObject
{
    Q_OBJECT

private slots:
    void textForms_data();
    void textForms();
    void makeColorMasksComponents();
    void hexToInt_data();
    void hexToInt();
    void hexToIntRejects_data();
    void hexToIntRejects();
    void htmlToColor_data();
    void htmlToColor();
    void htmlToColorRejects_data();
    void htmlToColorRejects();
    void namedColorTable();
    void nameForColor_data();
    void nameForColor();
    void everyRowNamesItsColour();
    void hsl_data();
    void hsl();
    void hslToColor_data();
    void hslToColor();
    void parseTypedColor_data();
    void parseTypedColor();
    void colorToLab_data();
    void colorToLab();
    void ciede2000_data();
    void ciede2000();
    void nearestNamedColor();
    void contrast_data();
    void contrast();
};

void tst_Colour::textForms_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("html");
    QTest::newRow("black") << MakeColor(0, 0, 0) << "0" << "$00000000" << "#000000";
    QTest::newRow("red") << MakeColor(255, 0, 0) << "255" << "$000000FF" << "#FF0000";
    QTest::newRow("blue") << MakeColor(0, 0, 255) << "16711680" << "$00FF0000" << "#0000FF";
    QTest::newRow("white") << MakeColor(255, 255, 255) << "16777215" << "$00FFFFFF" << "#FFFFFF";
    QTest::newRow("green 1, value reads blue first") << MakeColor(255, 1, 0) << "511" << "$000001FF"
                                                     << "#FF0100";
    QTest::newRow("aliceblue") << MakeColor(240, 248, 255) << "16775408" << "$00FFF8F0" << "#F0F8FF";
    QTest::newRow("negative: symbolic system colour") << int(0x8000000F) << "-2147483633"
                                                      << "$8000000F" << "#0F0000";
    QTest::newRow("minus one") << -1 << "-1" << "$FFFFFFFF" << "#FFFFFF";
}

void tst_Colour::textForms()
{
    QFETCH(int, color);
    QFETCH(QString, decimal);
    QFETCH(QString, value);
    QFETCH(QString, html);
    QCOMPARE(QString::fromStdString(ColorToDecimalText(color)), decimal);
    QCOMPARE(QString::fromStdString(ColorToValueText(color)), value);
    QCOMPARE(QString::fromStdString(ColorToHtml(color)), html);
}

void tst_Colour::makeColorMasksComponents()
{
    QCOMPARE(MakeColor(256, -1, 511), 0 + 256 * 255 + 65536 * 255);
    const TColor c = MakeColor(218, 11, 0);
    QCOMPARE(GetRValue(c), 218);
    QCOMPARE(GetGValue(c), 11);
    QCOMPARE(GetBValue(c), 0);
    QCOMPARE(GetBValue(-1), 255);  // components of any value lie in 0 .. 255
}

void tst_Colour::hexToInt_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("lower-case digits") << std::string("ff") << 255;
    QTest::newRow("upper-case digits") << std::string("FF") << 255;
    QTest::newRow("mixed case") << std::string("aBcDeF") << 0xABCDEF;
    QTest::newRow("zero") << std::string("0") << 0;
    QTest::newRow("leading zeros cost nothing") << std::string("0000000000000000FF") << 255;
    QTest::newRow("largest positive") << std::string("7FFFFFFF") << 2147483647;
    QTest::newRow("eight digits from 80000000") << std::string("80000000") << int(0x80000000);
    QTest::newRow("FFFFFFFF is -1") << std::string("FFFFFFFF") << -1;
    QTest::newRow("0FFFFFFF then a digit") << std::string("0FFFFFFFF") << -1;
    QTest::newRow("a megabyte of zeros then 1") << std::string(1 << 20, '0') + "1" << 1;
}

void tst_Colour::hexToInt()
{
    QFETCH(std::string, text);
    QFETCH(int, value);
    QCOMPARE(HexToInt(text), value);
}

void tst_Colour::hexToIntRejects_data()
{
    QTest::addColumn<std::string>("text");
    QTest::newRow("empty") << std::string();
    QTest::newRow("0g") << std::string("0g");
    QTest::newRow("leading space") << std::string(" ff");
    QTest::newRow("trailing space") << std::string("ff ");
    QTest::newRow("plus sign") << std::string("+1");
    QTest::newRow("minus sign") << std::string("-1");
    QTest::newRow("dollar prefix") << std::string("$ff");
    QTest::newRow("0x prefix") << std::string("0x1F");
    QTest::newRow("nine significant digits") << std::string("100000000");
    QTest::newRow("non-ASCII") << std::string("ｆｆ");
    QTest::newRow("embedded NUL") << std::string("f\0f", 3);
    QTest::newRow("a megabyte of digits") << std::string(1 << 20, 'f');
}

void tst_Colour::hexToIntRejects()
{
    QFETCH(std::string, text);
    try {
        HexToInt(text);
        QFAIL("no conversion error");
    } catch (const EConvertError &error) {
        QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("変換できません"));
    }
}

void tst_Colour::htmlToColor_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("color");
    QTest::newRow("aliceblue") << std::string("#F0F8FF") << MakeColor(240, 248, 255);
    QTest::newRow("first character not examined") << std::string("XF0F8FF") << MakeColor(240, 248, 255);
    QTest::newRow("lower-case digits") << std::string("#f0f8ff") << MakeColor(240, 248, 255);
    QTest::newRow("characters after the seventh ignored") << std::string("#102030zz") << MakeColor(16, 32, 48);
    QTest::newRow("blue pair cut to one digit") << std::string("#10203") << MakeColor(16, 32, 3);
}

void tst_Colour::htmlToColor()
{
    QFETCH(std::string, text);
    QFETCH(int, color);
    QCOMPARE(HtmlToColor(text), color);
}

void tst_Colour::htmlToColorRejects_data()
{
    QTest::addColumn<std::string>("text");
    QTest::newRow("empty") << std::string();
    QTest::newRow("hash only") << std::string("#");
    QTest::newRow("blue pair empty") << std::string("#1020");
    QTest::newRow("red pair not hex") << std::string("#GG0000");
    QTest::newRow("space inside a pair") << std::string("#1 2030");
    QTest::newRow("sign in a pair") << std::string("#-10000");
    QTest::newRow("multi-byte character") << std::string("#１２0000");
}

void tst_Colour::htmlToColorRejects()
{
    QFETCH(std::string, text);
    QVERIFY_THROWS_EXCEPTION(EConvertError, HtmlToColor(text));
}

void tst_Colour::namedColorTable()
{
    QCOMPARE(int(NamedColors.size()), 147);
    QCOMPARE(NameOfRow(0), std::string_view("aliceblue"));
    QCOMPARE(NameOfRow(146), std::string_view("yellowgreen"));
    QCOMPARE(NameOfRow(26), std::string_view("darkbrown *"));
    QCOMPARE(ColorOfRow(26), MakeColor(218, 11, 0));
    QCOMPARE(ColorOfRow(146), MakeColor(154, 205, 50));
    std::set<std::string_view> names;
    int starred = 0;
    for (const TNamedColor &row : NamedColors) {
        QVERIFY(names.insert(row.Name).second);
        starred += row.Name.ends_with(" *");
        QCOMPARE(row.Html.size(), std::size_t(7));
        QCOMPARE(ColorToHtml(HtmlToColor(row.Html)), std::string(row.Html));  // upper case, converts
    }
    QCOMPARE(starred, 7);
    // The table itself, not a sorted copy of it, must be in name order: the
    // row number is the position in the name list.
    QVERIFY(std::is_sorted(NamedColors.begin(), NamedColors.end(),
                           [](const TNamedColor &x, const TNamedColor &y) { return x.Name < y.Name; }));

    // The standard names against Qt's own table of them, the seven extra
    // names literally.
    const std::set<std::pair<std::string_view, std::string_view>> extra = {
        {"brass *", "#B5A642"}, {"coolcopper *", "#D98719"}, {"copper *", "#BF00DF"},
        {"cornflower *", "#BFEFDF"}, {"darkbrown *", "#DA0B00"}, {"feldsper *", "#FED0E0"},
        {"richblue *", "#0CB0E0"}};
    int standard = 0;
    for (const TNamedColor &row : NamedColors) {
        if (row.Name.ends_with(" *")) {
            QVERIFY2(extra.contains({row.Name, row.Html}), row.Name.data());
            continue;
        }
        const QColor known(QLatin1StringView(row.Name.data(), qsizetype(row.Name.size())));
        QVERIFY2(known.isValid(), row.Name.data());
        QCOMPARE(known.name().toUpper(), QLatin1StringView(row.Html.data(), qsizetype(row.Html.size())));
        ++standard;
    }
    QCOMPARE(standard, 140);
}

void tst_Colour::nameForColor_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("name");  // null: no name
    QTest::newRow("aqua and cyan: the last row wins") << MakeColor(0, 255, 255) << "cyan";
    QTest::newRow("fuchsia and magenta") << MakeColor(255, 0, 255) << "magenta";
    QTest::newRow("no row") << MakeColor(1, 0, 0) << QString();
    QTest::newRow("name with space and asterisk") << MakeColor(181, 166, 66) << "brass *";
    QTest::newRow("first row") << MakeColor(240, 248, 255) << "aliceblue";
    QTest::newRow("last row") << MakeColor(154, 205, 50) << "yellowgreen";
    QTest::newRow("top byte ignored as the text form does") << int(0x01000000) << "black";
}

void tst_Colour::nameForColor()
{
    QFETCH(int, color);
    QFETCH(QString, name);
    const auto found = NameForColor(color);
    QCOMPARE(found.has_value(), !name.isNull());
    if (found)
        QCOMPARE(QString::fromUtf8(found->data(), qsizetype(found->size())), name);
}

void tst_Colour::everyRowNamesItsColour()
{
    std::set<TColor> named;
    for (int row = 0; row < NamedColorCount; ++row) {
        const auto name = NameForColor(ColorOfRow(row));
        QVERIFY(name);
        named.insert(ColorOfRow(row));
        if (NameOfRow(row) == "aqua")
            QCOMPARE(*name, std::string_view("cyan"));
        else if (NameOfRow(row) == "fuchsia")
            QCOMPARE(*name, std::string_view("magenta"));
        else
            QCOMPARE(*name, NameOfRow(row));
    }
    QCOMPARE(int(named.size()), 145);
}

void tst_Colour::hsl_data()
{
    // Worked by hand from the CSS Color 4 conversion.
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("rgb");
    QTest::addColumn<QString>("hsl");
    QTest::newRow("black") << MakeColor(0, 0, 0) << "rgb(0, 0, 0)" << "hsl(0, 0%, 0%)";
    QTest::newRow("white") << MakeColor(255, 255, 255) << "rgb(255, 255, 255)" << "hsl(0, 0%, 100%)";
    QTest::newRow("grey: lightness 50.2") << MakeColor(128, 128, 128) << "rgb(128, 128, 128)" << "hsl(0, 0%, 50%)";
    QTest::newRow("red") << MakeColor(255, 0, 0) << "rgb(255, 0, 0)" << "hsl(0, 100%, 50%)";
    QTest::newRow("hue 47.06") << MakeColor(255, 200, 0) << "rgb(255, 200, 0)" << "hsl(47, 100%, 50%)";
    QTest::newRow("hue 359.76 rounds to 0") << MakeColor(255, 0, 1) << "rgb(255, 0, 1)" << "hsl(0, 100%, 50%)";
    QTest::newRow("green and blue equal") << MakeColor(0, 128, 128) << "rgb(0, 128, 128)" << "hsl(180, 100%, 25%)";
    QTest::newRow("pink: red largest, green below blue") << MakeColor(255, 192, 203) << "rgb(255, 192, 203)"
                                                       << "hsl(350, 100%, 88%)";
    QTest::newRow("cornflowerblue: blue largest, light") << MakeColor(100, 149, 237) << "rgb(100, 149, 237)"
                                                       << "hsl(219, 79%, 66%)";
    QTest::newRow("saturation 12.5 rounds up") << MakeColor(9, 8, 7) << "rgb(9, 8, 7)" << "hsl(30, 13%, 3%)";
    QTest::newRow("hue 7.5 rounds up") << MakeColor(16, 9, 8) << "rgb(16, 9, 8)" << "hsl(8, 33%, 5%)";
    QTest::newRow("top byte ignored") << int(0x8000000F) << "rgb(15, 0, 0)" << "hsl(0, 100%, 3%)";
}

void tst_Colour::hsl()
{
    QFETCH(int, color);
    QFETCH(QString, rgb);
    QFETCH(QString, hsl);
    QCOMPARE(QString::fromStdString(ColorToRgbText(color)), rgb);
    const THsl parts = ColorToHsl(color);
    QCOMPARE(QStringLiteral("hsl(%1, %2%, %3%)").arg(parts.Hue).arg(parts.Saturation).arg(parts.Lightness), hsl);
}

void tst_Colour::hslToColor_data()
{
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("lightness");
    QTest::addColumn<QString>("html");
    QTest::newRow("red") << 0 << 100 << 50 << "#FF0000";
    QTest::newRow("lime") << 120 << 100 << 50 << "#00FF00";
    QTest::newRow("blue") << 240 << 100 << 50 << "#0000FF";
    QTest::newRow("green 199.75") << 47 << 100 << 50 << "#FFC800";
    QTest::newRow("teal: 127.5 rounds up") << 180 << 100 << 25 << "#008080";
    QTest::newRow("near cornflowerblue") << 219 << 79 << 66 << "#6494ED";
    QTest::newRow("grey 127.5") << 300 << 0 << 50 << "#808080";
    QTest::newRow("black") << 0 << 0 << 0 << "#000000";
    QTest::newRow("white") << 0 << 0 << 100 << "#FFFFFF";
    QTest::newRow("hue 360 is 0") << 360 << 100 << 50 << "#FF0000";
    QTest::newRow("hue 480 is 120") << 480 << 100 << 50 << "#00FF00";
    QTest::newRow("hue -120 is 240") << -120 << 100 << 50 << "#0000FF";
    QTest::newRow("saturation above 100") << 0 << 150 << 50 << "#FF0000";
    QTest::newRow("saturation below 0") << 0 << -10 << 50 << "#808080";
    QTest::newRow("lightness above 100") << 0 << 100 << 150 << "#FFFFFF";
    QTest::newRow("lightness below 0") << 0 << 100 << -5 << "#000000";
}

void tst_Colour::hslToColor()
{
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, lightness);
    QFETCH(QString, html);
    QCOMPARE(QString::fromStdString(ColorToHtml(HslToColor(hue, saturation, lightness))), html);
}

void tst_Colour::parseTypedColor_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("color");  // -1: refused
    const int refused = -1;
    const TColor sample = MakeColor(255, 200, 0);
    QTest::newRow("#RRGGBB") << std::string("#FFC800") << sample;
    QTest::newRow("lower-case digits") << std::string("#ffc800") << sample;
    QTest::newRow("RRGGBB") << std::string("FFC800") << sample;
    QTest::newRow("RRGGBB lower case") << std::string("ffc800") << sample;
    QTest::newRow("#RGB") << std::string("#F80") << MakeColor(255, 136, 0);
    QTest::newRow("#RGB lower case") << std::string("#a1b") << MakeColor(170, 17, 187);
    QTest::newRow("rgb()") << std::string("rgb(255, 200, 0)") << sample;
    QTest::newRow("rgb() without spaces") << std::string("rgb(255,200,0)") << sample;
    QTest::newRow("rgb() spaces and tabs around numbers") << std::string("rgb( 255 ,\t200 , 0 )") << sample;
    QTest::newRow("RGB() upper case") << std::string("RGB(1, 2, 3)") << MakeColor(1, 2, 3);
    QTest::newRow("rgb() leading zeros, three digits") << std::string("rgb(007, 00, 0)") << MakeColor(7, 0, 0);
    QTest::newRow("white space around the text") << std::string(" \t#FFC800\r\n") << sample;
    QTest::newRow("name with white space around") << std::string("  gold ") << MakeColor(255, 215, 0);
    for (int row = 0; row < NamedColorCount; ++row) {
        const std::string name(NameOfRow(row));
        std::string upper = name;
        std::string mixed = name;
        for (std::size_t i = 0; i < name.size(); ++i) {
            upper[i] = char(std::toupper(static_cast<unsigned char>(name[i])));
            if (i % 2 == 0)
                mixed[i] = upper[i];
        }
        QTest::addRow("upper case %s", name.c_str()) << upper << ColorOfRow(row);
        QTest::addRow("mixed case %s", name.c_str()) << mixed << ColorOfRow(row);
        if (name.ends_with(" *")) {
            QTest::addRow("%s with its star", name.c_str()) << name << ColorOfRow(row);
            QTest::addRow("%s without its star", name.c_str()) << name.substr(0, name.size() - 2) << ColorOfRow(row);
        }
    }
    QTest::newRow("#GGGGGG") << std::string("#GGGGGG") << refused;
    QTest::newRow("five digits") << std::string("#12345") << refused;
    QTest::newRow("seven digits") << std::string("#1234567") << refused;
    QTest::newRow("RRGGBB with five digits") << std::string("FFC80") << refused;
    QTest::newRow("RRGGBB with seven digits") << std::string("1234567") << refused;
    QTest::newRow("four digits") << std::string("#FFC8") << refused;
    QTest::newRow("first character examined") << std::string("XFFC800") << refused;
    QTest::newRow("0x prefix") << std::string("0xFFC800") << refused;
    QTest::newRow("dollar value text") << std::string("$0000C8FF") << refused;
    QTest::newRow("space inside the digits") << std::string("#FF C800") << refused;
    QTest::newRow("sign inside the digits") << std::string("#-FC800") << refused;
    QTest::newRow("rgb() component 256") << std::string("rgb(256, 0, 0)") << refused;
    QTest::newRow("rgb() two components") << std::string("rgb(1,2)") << refused;
    QTest::newRow("rgb() four components") << std::string("rgb(1,2,3,4)") << refused;
    QTest::newRow("rgb() trailing comma") << std::string("rgb(1,2,3,)") << refused;
    QTest::newRow("rgb() without commas") << std::string("rgb(1 2 3)") << refused;
    QTest::newRow("rgb() space before the bracket") << std::string("rgb (1,2,3)") << refused;
    QTest::newRow("rgb() without the closing bracket") << std::string("rgb(1,2,3") << refused;
    QTest::newRow("rgb() text after it") << std::string("rgb(1,2,3) x") << refused;
    QTest::newRow("rgb() negative") << std::string("rgb(-1, 0, 0)") << refused;
    QTest::newRow("rgb() plus sign") << std::string("rgb(+1, 0, 0)") << refused;
    QTest::newRow("rgb() fraction") << std::string("rgb(1.0, 0, 0)") << refused;
    QTest::newRow("rgb() percentage") << std::string("rgb(100%, 0, 0)") << refused;
    QTest::newRow("rgb() four digits") << std::string("rgb(0001, 0, 0)") << refused;
    QTest::newRow("rgb() overflow") << std::string("rgb(99999999999999999999, 0, 0)") << refused;
    QTest::newRow("rgb() empty component") << std::string("rgb(, 0, 0)") << refused;
    QTest::newRow("rgba()") << std::string("rgba(1, 2, 3)") << refused;
    QTest::newRow("hsl()") << std::string("hsl(47, 100%, 50%)") << refused;
    QTest::newRow("empty") << std::string() << refused;
    QTest::newRow("white space only") << std::string(" \t\r\n") << refused;
    QTest::newRow("hash after a space") << std::string(" #") << refused;
    QTest::newRow("two names") << std::string("red blue") << refused;
    QTest::newRow("aqua with a star") << std::string("aqua *") << refused;
    QTest::newRow("star without its space") << std::string("brass*") << refused;
    QTest::newRow("two spaces before the star") << std::string("brass  *") << refused;
    QTest::newRow("name with a letter more") << std::string("redd") << refused;
    QTest::newRow("overlong text") << "#" + std::string(1 << 20, 'F') << refused;
    QTest::newRow("NUL inside") << std::string("#FF\0C800", 8) << refused;
    QTest::newRow("NUL after a name") << std::string("red\0", 4) << refused;
    QTest::newRow("full-width letters") << std::string("ｒｅｄ") << refused;
    QTest::newRow("full-width digits") << std::string("#ＦＦ0000") << refused;
    QTest::newRow("dotless i") << std::string("whıte") << refused;
    QTest::newRow("Kelvin sign") << std::string("\u212Ahaki") << refused;
    QTest::newRow("NUL for the space before a star") << std::string("brass\0*", 7) << refused;
    QTest::newRow("non-breaking space around") << std::string("\xC2\xA0red") << refused;
}

void tst_Colour::parseTypedColor()
{
    QFETCH(std::string, text);
    QFETCH(int, color);
    const std::optional<TColor> parsed = ParseTypedColor(text);
    QCOMPARE(parsed.value_or(-1), color);
}

void tst_Colour::colorToLab_data()
{
    // Published sRGB (D65) to CIE Lab values, to four places; the dark grey
    // by hand, on the straight parts of both curves: L = 24389/27 * 10/255 / 12.92.
    QTest::addColumn<int>("color");
    QTest::addColumn<double>("L");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::newRow("white") << MakeColor(255, 255, 255) << 100.0 << 0.0 << 0.0;
    QTest::newRow("black") << MakeColor(0, 0, 0) << 0.0 << 0.0 << 0.0;
    QTest::newRow("grey 128") << MakeColor(128, 128, 128) << 53.5850 << 0.0 << 0.0;
    QTest::newRow("grey 10") << MakeColor(10, 10, 10) << 2.7417 << 0.0 << 0.0;
    QTest::newRow("red") << MakeColor(255, 0, 0) << 53.2408 << 80.0925 << 67.2032;
    QTest::newRow("green") << MakeColor(0, 255, 0) << 87.7347 << -86.1827 << 83.1793;
    QTest::newRow("blue") << MakeColor(0, 0, 255) << 32.2970 << 79.1875 << -107.8602;
    QTest::newRow("yellow") << MakeColor(255, 255, 0) << 97.1393 << -21.5537 << 94.4780;
}

void tst_Colour::colorToLab()
{
    QFETCH(int, color);
    QFETCH(double, L);
    QFETCH(double, a);
    QFETCH(double, b);
    const TLabD65 lab = ColorToLabD65(color);
    const double tolerance = 0.0005;
    QVERIFY2(std::abs(lab.L - L) < tolerance, qPrintable(QString::number(lab.L, 'f', 6)));
    QVERIFY2(std::abs(lab.a - a) < tolerance, qPrintable(QString::number(lab.a, 'f', 6)));
    QVERIFY2(std::abs(lab.b - b) < tolerance, qPrintable(QString::number(lab.b, 'f', 6)));
}

void tst_Colour::ciede2000_data()
{
    // The 34 test pairs of Sharma, Wu and Dalal (2005), Table 1.
    QTest::addColumn<double>("L1");
    QTest::addColumn<double>("a1");
    QTest::addColumn<double>("b1");
    QTest::addColumn<double>("L2");
    QTest::addColumn<double>("a2");
    QTest::addColumn<double>("b2");
    QTest::addColumn<double>("dE");
    const double pairs[34][7] = {
        {50.0000, 2.6772, -79.7751, 50.0000, 0.0000, -82.7485, 2.0425},
        {50.0000, 3.1571, -77.2803, 50.0000, 0.0000, -82.7485, 2.8615},
        {50.0000, 2.8361, -74.0200, 50.0000, 0.0000, -82.7485, 3.4412},
        {50.0000, -1.3802, -84.2814, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, -1.1848, -84.8006, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, -0.9009, -85.5211, 50.0000, 0.0000, -82.7485, 1.0000},
        {50.0000, 0.0000, 0.0000, 50.0000, -1.0000, 2.0000, 2.3669},
        {50.0000, -1.0000, 2.0000, 50.0000, 0.0000, 0.0000, 2.3669},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0009, 7.1792},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0010, 7.1792},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0011, 7.2195},
        {50.0000, 2.4900, -0.0010, 50.0000, -2.4900, 0.0012, 7.2195},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0009, -2.4900, 4.8045},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0010, -2.4900, 4.8045},
        {50.0000, -0.0010, 2.4900, 50.0000, 0.0011, -2.4900, 4.7461},
        {50.0000, 2.5000, 0.0000, 50.0000, 0.0000, -2.5000, 4.3065},
        {50.0000, 2.5000, 0.0000, 73.0000, 25.0000, -18.0000, 27.1492},
        {50.0000, 2.5000, 0.0000, 61.0000, -5.0000, 29.0000, 22.8977},
        {50.0000, 2.5000, 0.0000, 56.0000, -27.0000, -3.0000, 31.9030},
        {50.0000, 2.5000, 0.0000, 58.0000, 24.0000, 15.0000, 19.4535},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.1736, 0.5854, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.2972, 0.0000, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 1.8634, 0.5757, 1.0000},
        {50.0000, 2.5000, 0.0000, 50.0000, 3.2592, 0.3350, 1.0000},
        {60.2574, -34.0099, 36.2677, 60.4626, -34.1751, 39.4387, 1.2644},
        {63.0109, -31.0961, -5.8663, 62.8187, -29.7946, -4.0864, 1.2630},
        {61.2901, 3.7196, -5.3901, 61.4292, 2.2480, -4.9620, 1.8731},
        {35.0831, -44.1164, 3.7933, 35.0232, -40.0716, 1.5901, 1.8645},
        {22.7233, 20.0904, -46.6940, 23.0331, 14.9730, -42.5619, 2.0373},
        {36.4612, 47.8580, 18.3852, 36.2715, 50.5065, 21.2231, 1.4146},
        {90.8027, -2.0831, 1.4410, 91.1528, -1.6435, 0.0447, 1.4441},
        {90.9257, -0.5406, -0.9208, 88.6381, -0.8985, -0.7239, 1.5381},
        {6.7747, -0.2908, -2.4247, 5.8714, -0.0985, -2.2286, 0.6377},
        {2.0776, 0.0795, -1.1350, 0.9033, -0.0636, -0.5514, 0.9082},
    };
    for (int i = 0; i < 34; ++i) {
        const double *p = pairs[i];
        QTest::addRow("pair %d", i + 1) << p[0] << p[1] << p[2] << p[3] << p[4] << p[5] << p[6];
    }
}

void tst_Colour::ciede2000()
{
    QFETCH(double, L1);
    QFETCH(double, a1);
    QFETCH(double, b1);
    QFETCH(double, L2);
    QFETCH(double, a2);
    QFETCH(double, b2);
    QFETCH(double, dE);
    const TLabD65 x{L1, a1, b1};
    const TLabD65 y{L2, a2, b2};
    // To the four places of the published table, and the same both ways.
    QCOMPARE(qRound(Ciede2000(x, y) * 10000), qRound(dE * 10000));
    QCOMPARE(qRound(Ciede2000(y, x) * 10000), qRound(dE * 10000));
    QCOMPARE(Ciede2000(x, x), 0.0);
}

void tst_Colour::nearestNamedColor()
{
    std::vector<TLabD65> rowLab;
    for (int row = 0; row < NamedColorCount; ++row)
        rowLab.push_back(ColorToLabD65(ColorOfRow(row)));
    // The reference: every row measured, a tie going to the later row.
    const auto reference = [&rowLab](TColor color) {
        const TLabD65 lab = ColorToLabD65(color);
        TNearestColor nearest{-1, 0};
        for (int row = 0; row < NamedColorCount; ++row) {
            const double distance = Ciede2000(lab, rowLab[std::size_t(row)]);
            if (nearest.Row < 0 || distance <= nearest.Distance)
                nearest = {row, distance};
        }
        return nearest;
    };

    for (int row = 0; row < NamedColorCount; ++row) {
        const TNearestColor nearest = NearestNamedColor(ColorOfRow(row));
        QCOMPARE(nearest.Distance, 0.0);
        if (NameOfRow(row) == "aqua")
            QCOMPARE(NameOfRow(nearest.Row), std::string_view("cyan"));
        else if (NameOfRow(row) == "fuchsia")
            QCOMPARE(NameOfRow(nearest.Row), std::string_view("magenta"));
        else
            QCOMPARE(nearest.Row, row);
    }

    std::mt19937 random(20051);
    std::uniform_int_distribution<int> component(0, 255);
    for (int i = 0; i < 4000; ++i) {
        const TColor color = MakeColor(component(random), component(random), component(random));
        const TNearestColor nearest = NearestNamedColor(color);
        const TNearestColor expected = reference(color);
        QVERIFY2(nearest.Row == expected.Row, ColorToHtml(color).c_str());
        QCOMPARE(nearest.Distance, expected.Distance);
    }
}

void tst_Colour::contrast_data()
{
    // Published WCAG 2 ratios, and the rounding they are published with.
    QTest::addColumn<int>("foreground");
    QTest::addColumn<int>("background");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("places");
    const TColor white = MakeColor(255, 255, 255);
    const TColor black = MakeColor(0, 0, 0);
    QTest::newRow("white on black") << white << black << 21.0 << 2;
    QTest::newRow("black on white") << black << white << 21.0 << 2;
    QTest::newRow("equal colours") << MakeColor(18, 52, 86) << MakeColor(18, 52, 86) << 1.0 << 2;
    QTest::newRow("#777777 on white") << MakeColor(119, 119, 119) << white << 4.48 << 2;
    QTest::newRow("#767676 on white") << MakeColor(118, 118, 118) << white << 4.54 << 2;
    QTest::newRow("#595959 on white") << MakeColor(89, 89, 89) << white << 7.00 << 2;
    QTest::newRow("blue on white") << MakeColor(0, 0, 255) << white << 8.59 << 2;
    QTest::newRow("#FFC800 and white") << MakeColor(255, 200, 0) << white << 1.6 << 1;
    QTest::newRow("#FFC800 and black") << MakeColor(255, 200, 0) << black << 13.5 << 1;
}

void tst_Colour::contrast()
{
    QFETCH(int, foreground);
    QFETCH(int, background);
    QFETCH(double, ratio);
    QFETCH(int, places);
    const double scale = std::pow(10.0, places);
    QCOMPARE(qRound(ContrastRatio(foreground, background) * scale), qRound(ratio * scale));
    QCOMPARE(ContrastRatio(background, foreground), ContrastRatio(foreground, background));
}

QTEST_APPLESS_MAIN(tst_Colour)
#include "tst_colour.moc"
