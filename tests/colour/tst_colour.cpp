#include "colour.h"

#include <QTest>

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
    QVERIFY(std::is_sorted(names.begin(), names.end()));
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

QTEST_APPLESS_MAIN(tst_Colour)
#include "tst_colour.moc"
