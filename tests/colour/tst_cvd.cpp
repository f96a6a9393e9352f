#include "cvd.h"

#include <QTest>

#include <cstdlib>

Q_DECLARE_METATYPE(TCvdKind)

namespace {

TColor html(const char *text) { return HtmlToColor(text); }

// Every channel within one 8-bit step.
bool withinOneStep(TColor a, TColor b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1
        && std::abs(GetBValue(a) - GetBValue(b)) <= 1;
}

} // namespace

class tst_Cvd : public QObject
{
    Q_OBJECT

private slots:
    void tritan_data();
    void tritan();
    void machadoBetweenRows_data();
    void machadoBetweenRows();
    void achromatopsia_data();
    void achromatopsia();
    void severityZeroIsIdentity_data();
    void severityZeroIsIdentity();
    void severityOutsideRangeIsClamped();
};

void tst_Cvd::tritan_data()
{
    QTest::addColumn<QString>("colour");
    QTest::addColumn<double>("severity");
    QTest::addColumn<QString>("expected");
    // Worked out by tritan_expected.py beside this file, with numpy from the
    // published constants alone (sRGB chromaticities, Smith and Pokorny's
    // fundamentals, CIE 1931 at 485 nm and 660 nm) and a per-colour solve
    // rather than the model's folded matrices.
    const auto row = [](const char *name, const char *colour, double severity, const char *expected) {
        QTest::newRow(name) << colour << severity << expected;
    };
    row("#FF0000 at 1", "#FF0000", 1, "#FF004E");
    row("#00FF00 at 1", "#00FF00", 1, "#7CEAFF");
    row("#0000FF at 1", "#0000FF", 1, "#006087");
    row("#FFFF00 at 1", "#FFFF00", 1, "#FFEFF2");
    row("#00FFFF at 1", "#00FFFF", 1, "#49F8FF");
    row("#FF00FF at 1", "#FF00FF", 1, "#EE6378");
    row("#808080 at 1", "#808080", 1, "#808080");
    row("#3366CC at 1", "#3366CC", 1, "#007691");
    row("#C86432 at 1", "#C86432", 1, "#CB5D6D");
    row("#2A9D8F at 1", "#2A9D8F", 1, "#4197B1");
    row("#0000FF at 0.5", "#0000FF", 0.5, "#0044CE");
    row("#FF00FF at 0.25", "#FF00FF", 0.25, "#FB31E7");
    row("#3366CC at 0.7", "#3366CC", 0.7, "#1972A6");
}

void tst_Cvd::tritan()
{
    QFETCH(QString, colour);
    QFETCH(double, severity);
    QFETCH(QString, expected);
    const TColor seen = SimulateCvd(html(colour.toLatin1().constData()), TCvdKind::Tritan, severity);
    QVERIFY2(withinOneStep(seen, html(expected.toLatin1().constData())), ColorToHtml(seen).c_str());
    if (severity == 1)
        QCOMPARE(SimulateDichromacy(html(colour.toLatin1().constData()), TCvdKind::Tritan), seen);
}

void tst_Cvd::machadoBetweenRows_data()
{
    QTest::addColumn<TCvdKind>("kind");
    QTest::addColumn<double>("severity");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("expected");
    // colorspacious's sRGB1+CVD at severities between its table rows. The
    // first row also by hand: red's linear column halfway between the 0.2
    // and 0.3 rows, (0.682545, 0.060511, -0.005618), encodes to 215.4, 69.6
    // and 0.
    QTest::newRow("protan 0.25 red") << TCvdKind::Protan << 0.25 << "#FF0000" << "#D74600";
    QTest::newRow("protan 0.25 green") << TCvdKind::Protan << 0.25 << "#00FF00" << "#AAF400";
    QTest::newRow("protan 0.05, after the identity") << TCvdKind::Protan << 0.05 << "#FF8000" << "#F98300";
    QTest::newRow("deutan 0.55") << TCvdKind::Deutan << 0.55 << "#3366CC" << "#0B66CB";
    QTest::newRow("deutan 0.95, before the last row") << TCvdKind::Deutan << 0.95 << "#E0B040" << "#D1BC45";
}

void tst_Cvd::machadoBetweenRows()
{
    QFETCH(TCvdKind, kind);
    QFETCH(double, severity);
    QFETCH(QString, colour);
    QFETCH(QString, expected);
    const TColor seen = SimulateCvd(html(colour.toLatin1().constData()), kind, severity);
    QVERIFY2(withinOneStep(seen, html(expected.toLatin1().constData())), ColorToHtml(seen).c_str());
}

void tst_Cvd::achromatopsia_data()
{
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("expected");
    // By hand: Y is the channel's weight, encoded 1.055 Y^(1/2.4) - 0.055.
    // 0.2126 gives 0.49844, x 255 = 127.10.
    QTest::newRow("red") << "#FF0000" << "#7F7F7F";
    // 0.7152 gives 0.86248, x 255 = 219.93.
    QTest::newRow("green") << "#00FF00" << "#DCDCDC";
    // 0.0722 gives 0.29789, x 255 = 75.96.
    QTest::newRow("blue") << "#0000FF" << "#4C4C4C";
    QTest::newRow("white") << "#FFFFFF" << "#FFFFFF";
    QTest::newRow("black") << "#000000" << "#000000";
    QTest::newRow("a grey stays") << "#777777" << "#777777";
}

void tst_Cvd::achromatopsia()
{
    QFETCH(QString, colour);
    QFETCH(QString, expected);
    QCOMPARE(ColorToHtml(SimulateAchromatopsia(html(colour.toLatin1().constData()))), expected.toStdString());
}

void tst_Cvd::severityZeroIsIdentity_data()
{
    QTest::addColumn<TCvdKind>("kind");
    QTest::newRow("protan") << TCvdKind::Protan;
    QTest::newRow("deutan") << TCvdKind::Deutan;
    QTest::newRow("tritan") << TCvdKind::Tritan;
}

void tst_Cvd::severityZeroIsIdentity()
{
    QFETCH(TCvdKind, kind);
    // Every value of every channel comes back exactly: decoding and encoding
    // lose nothing.
    for (int v = 0; v < 256; ++v)
        for (TColor c : {MakeColor(v, 0, 0), MakeColor(0, v, 0), MakeColor(0, 0, v), MakeColor(v, 255 - v, v / 2)})
            QCOMPARE(ColorToHtml(SimulateCvd(c, kind, 0)), ColorToHtml(c));
}

void tst_Cvd::severityOutsideRangeIsClamped()
{
    const TColor c = MakeColor(0x33, 0x66, 0xCC);
    for (TCvdKind kind : {TCvdKind::Protan, TCvdKind::Deutan, TCvdKind::Tritan}) {
        QCOMPARE(SimulateCvd(c, kind, -0.5), c);
        QCOMPARE(SimulateCvd(c, kind, std::nan("")), c);
        QCOMPARE(SimulateCvd(c, kind, 7), SimulateDichromacy(c, kind));
    }
}

QTEST_APPLESS_MAIN(tst_Cvd)
#include "tst_cvd.moc"
