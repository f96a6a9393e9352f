// The colour chooser opened by "ダイアログ": what it is given, what it shows,
// what OK and Cancel leave behind, custom colours across openings, the
// grids, the hue/saturation/lightness boxes, typed colours, placement.
#include "windowtest.h"

#include "colorchooser.h"
#include "colordialog.h"
#include "placement.h"
#include "screenpicker.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

namespace {

/// Clicks "ダイアログ" and runs action on the open chooser; action must close it.
void withChooser(const TTestForm &form, const std::function<void(TColorChooser &)> &action)
{
    bool ran = false;
    QTimer::singleShot(0, form.get(), [&] {
        auto *chooser = qobject_cast<TColorChooser *>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        // The offscreen platform leaves the focus with the main window.
        chooser->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), chooser);
        ran = true;
        action(*chooser);
        if (chooser->isVisible()) {  // a failed check must not leave it open
            chooser->reject();
            QFAIL("the chooser was left open");
        }
    });
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    QVERIFY(ran);
}

void typeColor(TColorChooser &chooser, int red, int green, int blue)
{
    const std::pair<const char *, int> entries[] = {{"red", red}, {"green", green}, {"blue", blue}};
    for (const auto &[name, value] : entries) {
        auto *box = chooser.findChild<QSpinBox *>(QString::fromLatin1(name));
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::number(value));
    }
}

void press(TColorChooser &chooser, const char *button)
{
    QTest::mouseClick(chooser.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
}

QList<int> spinValues(TColorChooser &chooser, const char *first = "red", const char *second = "green",
                      const char *third = "blue")
{
    return {chooser.findChild<QSpinBox *>(first)->value(), chooser.findChild<QSpinBox *>(second)->value(),
            chooser.findChild<QSpinBox *>(third)->value()};
}

QList<int> components(const QString &html)
{
    const QColor color = QColor::fromString(html);
    return {color.red(), color.green(), color.blue()};
}

QString swatchName(TColorChooser &chooser, const char *slot)
{
    return chooser.findChild<QAbstractButton *>(QString::fromLatin1(slot))->accessibleName();
}

QList<QAbstractButton *> cells(TColorChooser &chooser, const char *grid)
{
    return chooser.findChild<QWidget *>(QString::fromLatin1(grid))->findChildren<QAbstractButton *>();
}

void typeInto(QWidget *box, const QString &text)
{
    box->setFocus();
    if (auto *spin = qobject_cast<QSpinBox *>(box))
        spin->selectAll();
    else
        qobject_cast<QLineEdit *>(box)->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

} // namespace

class tst_Chooser : public QObject
{
    Q_OBJECT

private slots:
    void firstOpeningShowsBlackAndIsModal();
    void confirmedColourMovesTheSliders();
    void confirmingTheShownColourOrCancellingChangesNothing();
    void customColoursAcrossOpenings();
    void basicColourPickedByMouseAndKeys();
    void gridsAreOneTabStopEach();
    void gridKeys_data();
    void gridKeys();
    void hslBoxes_data();
    void hslBoxes();
    void boxesTakeTheNearestNumber_data();
    void boxesTakeTheNearestNumber();
    void typedColours_data();
    void typedColours();
    void okReadsTheTypedColourFirst();
    void destroyedWhileTyping();
    void previewShowsNewAndOriginalColour();
    void textOnBackground();
    void fieldClickAtBlackShowsAColour();
    void screenPickButton();
    void paletteOfTheRun();
    void pasteAndUndo_data();
    void pasteAndUndo();
    void pasteKeepsTheChooserAnswering();
    void windowManners();
    void request();
    void placement_data();
    void placement();
    void chooserIsPlacedOnItsMonitor();
};

void tst_Chooser::firstOpeningShowsBlackAndIsModal()
{
    const auto form = showForm();
    form.ScrollBar1->setPosition(200);
    form.ScrollBar2->setPosition(100);
    withChooser(form, [&](TColorChooser &chooser) {
        QCOMPARE(chooser.color(), 0);
        QCOMPARE(spinValues(chooser), QList<int>({0, 0, 0}));
        QVERIFY(chooser.isModal());
        QCOMPARE(chooser.parentWidget(), form.get());
        // The main window takes no input while the chooser is open.
        QTest::keyClick(form->windowHandle(), Qt::Key_End);
        QCOMPARE(form.ScrollBar1->position(), 200);
        // Full open with prevent-full-open: the colour part is open, with no
        // button to open it; Help is there and does nothing.
        QVERIFY(!chooser.findChild<QPushButton *>("defineCustomColors"));
        QVERIFY(chooser.findChild<QSpinBox *>("red")->isVisible());
        press(chooser, "help");
        QVERIFY(chooser.isVisible());
        QTest::keyClick(&chooser, Qt::Key_Escape);
    });
    QCOMPARE(TShown::of(form), TShown::settled(200, 100, 0, ""));
    QTRY_COMPARE(QApplication::activeWindow(), form.get());
    QCOMPARE(QApplication::focusWidget(), form.Button3);
}

void tst_Chooser::confirmedColourMovesTheSliders()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        typeColor(chooser, 255, 165, 0);
        QCOMPARE(chooser.color(), MakeColor(255, 165, 0));
        press(chooser, "ok");
    });
    QCOMPARE(TShown::of(form), TShown::settled(255, 165, 0, "orange"));
    QCOMPARE(form.ColorDialog1->color(), MakeColor(255, 165, 0));

    form.ScrollBar3->setPosition(77);  // the mix is not what the chooser opens with
    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(spinValues(chooser), QList<int>({255, 165, 0}));
        typeColor(chooser, 1, 2, 3);
        QTest::keyClick(&chooser, Qt::Key_Return);  // OK is the default button
    });
    QCOMPARE(TShown::of(form), TShown::settled(1, 2, 3, ""));
}

void tst_Chooser::confirmingTheShownColourOrCancellingChangesNothing()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        typeColor(chooser, 0, 0, 128);
        press(chooser, "ok");
    });
    QCOMPARE(TShown::of(form), TShown::settled(0, 0, 128, "navy"));

    int runs = 0;
    for (TScrollBar *bar : {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3})
        connect(bar, &TScrollBar::changed, form.get(), [&runs] { ++runs; });
    withChooser(form, [](TColorChooser &chooser) { press(chooser, "ok"); });
    QCOMPARE(runs, 0);
    QCOMPARE(TShown::of(form), TShown::settled(0, 0, 128, "navy"));

    withChooser(form, [](TColorChooser &chooser) {
        typeColor(chooser, 9, 9, 9);
        press(chooser, "cancel");
    });
    QCOMPARE(runs, 0);
    QCOMPARE(TShown::of(form), TShown::settled(0, 0, 128, "navy"));
    QCOMPARE(form.ColorDialog1->color(), MakeColor(0, 0, 128));

    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(spinValues(chooser), QList<int>({0, 0, 128}));  // the cancelled colour is gone
        chooser.close();  // the close box cancels too
    });
    QCOMPARE(TShown::of(form), TShown::settled(0, 0, 128, "navy"));
}

void tst_Chooser::customColoursAcrossOpenings()
{
    const auto form = showForm();
    QVERIFY(form.ColorDialog1->customColors().empty());
    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("空き"));
        typeColor(chooser, 255, 165, 0);
        press(chooser, "addCustomColor");
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#FFA500"));
        // A second colour in the same opening takes the next slot.
        typeColor(chooser, 10, 20, 30);
        press(chooser, "addCustomColor");
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#FFA500"));
        QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("#0A141E"));
        press(chooser, "ok");
    });
    const auto &stored = form.ColorDialog1->customColors();
    QCOMPARE(int(stored.size()), 16);
    QCOMPARE(stored.at("ColorA"), std::string("00A5FF"));  // blue, green, red
    QCOMPARE(stored.at("ColorB"), std::string("1E140A"));
    QCOMPARE(stored.at("ColorP"), std::string("FFFFFFFF"));  // an empty slot stays -1
    const TCustomColors offered = form.ColorDialog1->request(nullptr).customColors;
    QCOMPARE(offered[0], MakeColor(255, 165, 0));
    QCOMPARE(offered[15], -1);

    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#FFA500"));  // kept from the OK
        typeColor(chooser, 1, 2, 3);
        press(chooser, "addCustomColor");
        QCOMPARE(swatchName(chooser, "ColorC"), QStringLiteral("#010203"));
        // Past the sixteenth slot the next colour goes to the first.
        for (int red = 100; red < 114; ++red) {
            typeColor(chooser, red, 0, 0);
            press(chooser, "addCustomColor");
        }
        QCOMPARE(swatchName(chooser, "ColorP"), QStringLiteral("#700000"));
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#710000"));
        press(chooser, "cancel");
    });
    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(swatchName(chooser, "ColorC"), QStringLiteral("空き"));  // lost with the cancel
        // Black is a colour like any other: its slot gives it back.
        typeColor(chooser, 0, 0, 0);
        press(chooser, "addCustomColor");
        QCOMPARE(swatchName(chooser, "ColorC"), QStringLiteral("#000000"));
        typeColor(chooser, 9, 9, 9);
        QTest::mouseClick(chooser.findChild<QAbstractButton *>("ColorC"), Qt::LeftButton);
        QCOMPARE(spinValues(chooser), QList<int>({0, 0, 0}));
        // Pressing a custom colour makes it current.
        QTest::mouseClick(chooser.findChild<QAbstractButton *>("ColorA"), Qt::LeftButton);
        QCOMPARE(spinValues(chooser), QList<int>({255, 165, 0}));
        press(chooser, "ok");
    });
    QCOMPARE(TShown::of(form), TShown::settled(255, 165, 0, "orange"));
}

void tst_Chooser::basicColourPickedByMouseAndKeys()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        const QList<QAbstractButton *> grid = cells(chooser, "basicColors");
        QCOMPARE(grid.size(), 48);
        // Every cell names its colour, and the sixteen HTML basic colours are there.
        QStringList names;
        for (QAbstractButton *cell : grid) {
            QCOMPARE(cell->toolTip(), cell->accessibleName());
            names << cell->accessibleName();
        }
        for (const char *keyword : {"black", "silver", "gray", "white", "maroon", "red", "purple", "fuchsia",
                                    "green", "lime", "olive", "yellow", "navy", "blue", "teal", "aqua"}) {
            const QString hex = QColor::fromString(QLatin1String(keyword)).name().toUpper();
            QVERIFY2(!names.filter(QRegularExpression(QLatin1Char('^') + hex)).isEmpty(), keyword);
        }
        QVERIFY(names.contains(QStringLiteral("#FFA500 orange")));
        QVERIFY(names.contains(QStringLiteral("#FF0000 red")));
        // Row by row, each cell's colour as the CSS named-colour list gives
        // it, and the name shown is one of that colour's.
        const char *const css[] = {
            "#800000", "#A52A2A", "#B22222", "#DC143C", "#FF0000", "#FF6347", "#FA8072", "#FFC0CB",
            "#D2691E", "#A0522D", "#FF8C00", "#FFA500", "#FFD700", "#FFFF00", "#F0E68C", "#808000",
            "#006400", "#008000", "#228B22", "#2E8B57", "#32CD32", "#00FF00", "#9ACD32", "#008080",
            "#00FFFF", "#40E0D0", "#00BFFF", "#1E90FF", "#4682B4", "#4169E1", "#0000FF", "#000080",
            "#191970", "#6A5ACD", "#4B0082", "#800080", "#9400D3", "#DA70D6", "#FF00FF", "#FF1493",
            "#000000", "#2F4F4F", "#696969", "#808080", "#A9A9A9", "#C0C0C0", "#D3D3D3", "#FFFFFF",
        };
        for (int i = 0; i < 48; ++i) {
            const QString hex = QLatin1String(css[i]);
            QVERIFY2(names[i].startsWith(hex + QLatin1Char(' ')), qPrintable(names[i]));
            QCOMPARE(QColor::fromString(names[i].mid(8)), QColor::fromString(hex));
        }

        // By mouse.
        QAbstractButton *orange = grid[names.indexOf(QStringLiteral("#FFA500 orange"))];
        QTest::mouseClick(orange, Qt::LeftButton);
        QCOMPARE(spinValues(chooser), QList<int>({255, 165, 0}));

        // By keys: Alt+B goes to the grid, arrows move, Space and Enter pick.
        typeColor(chooser, 1, 1, 1);
        QTest::keyClick(&chooser, Qt::Key_B, Qt::AltModifier);
        auto *first = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        QVERIFY(grid.contains(first));
        QTest::keyClick(first, Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        auto *moved = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        QVERIFY(grid.contains(moved));
        QCOMPARE(moved->geometry().topLeft() - first->geometry().topLeft(),
                 QPoint(first->width() + 2, first->height() + 2));
        QCOMPARE(spinValues(chooser), QList<int>({1, 1, 1}));  // moving picks nothing
        QTest::keyClick(moved, Qt::Key_Space);
        QCOMPARE(spinValues(chooser), components(moved->accessibleName().left(7)));
        QTest::keyClick(moved, Qt::Key_Left);
        auto *left = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        QTest::keyClick(left, Qt::Key_Return);
        QCOMPARE(spinValues(chooser), components(left->accessibleName().left(7)));
        QVERIFY(chooser.isVisible());  // Enter picked the cell and did not press OK
        QVERIFY(left != moved);
        press(chooser, "ok");
    });
}

void tst_Chooser::gridsAreOneTabStopEach()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        const QList<QAbstractButton *> basic = cells(chooser, "basicColors");
        const QList<QAbstractButton *> custom = cells(chooser, "customColors");
        QTest::mouseClick(basic[5], Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), basic[5]);
        // Once round the Tab chain: each grid is entered once, at its last cell.
        int inBasic = 0;
        int inCustom = 0;
        QList<QWidget *> visited;
        for (int step = 0; step < 60 && !visited.contains(QApplication::focusWidget()); ++step) {
            QWidget *focus = QApplication::focusWidget();
            visited << focus;
            inBasic += basic.contains(focus);
            inCustom += custom.contains(focus);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), basic[5]);
        QCOMPARE(inBasic, 1);
        QCOMPARE(inCustom, 1);
        QVERIFY(visited.size() > 10);
        // The focused cell is drawn differently from the same cell unfocused.
        const QImage focused = basic[5]->grab().toImage();
        QTest::keyClick(basic[5], Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), basic[6]);
        QVERIFY(basic[5]->grab().toImage() != focused);
        press(chooser, "cancel");
    });
}

void tst_Chooser::gridKeys_data()
{
    // Cells numbered row by row, eight to a row: 48 basic, 16 custom.
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    const auto row = [](const char *name, const char *grid, int from, Qt::Key key, int to) {
        QTest::newRow(name) << QString::fromLatin1(grid) << from << int(key) << to;
    };
    row("Up from the second row's first cell", "basicColors", 8, Qt::Key_Up, 0);
    row("Up from the second row's last cell", "basicColors", 15, Qt::Key_Up, 7);
    row("Up in the first row stays", "basicColors", 3, Qt::Key_Up, 3);
    row("Down to the last row", "basicColors", 39, Qt::Key_Down, 47);
    row("Down in the last row stays", "basicColors", 40, Qt::Key_Down, 40);
    row("Left from a row's first cell", "basicColors", 8, Qt::Key_Left, 7);
    row("Left at the first cell stays", "basicColors", 0, Qt::Key_Left, 0);
    row("Right at the last cell stays", "basicColors", 47, Qt::Key_Right, 47);
    row("Home", "basicColors", 20, Qt::Key_Home, 0);
    row("End", "basicColors", 20, Qt::Key_End, 47);
    row("Up in the custom colours", "customColors", 9, Qt::Key_Up, 1);
    row("Down in the custom colours", "customColors", 1, Qt::Key_Down, 9);
    row("Down in the custom colours' last row stays", "customColors", 9, Qt::Key_Down, 9);
    row("End in the custom colours", "customColors", 2, Qt::Key_End, 15);
}

void tst_Chooser::gridKeys()
{
    QFETCH(QString, grid);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        const QList<QAbstractButton *> gridCells = cells(chooser, grid.toLatin1().constData());
        gridCells[from]->setFocus();
        QTest::keyClick(gridCells[from], Qt::Key(key));
        QCOMPARE(QApplication::focusWidget(), gridCells[to]);
        press(chooser, "cancel");
    });
}

void tst_Chooser::hslBoxes_data()
{
    // Worked by hand from the CSS Color 4 hsl() formula.
    QTest::addColumn<QList<int>>("hsl");
    QTest::addColumn<QList<int>>("rgb");
    QTest::newRow("red") << QList<int>{0, 100, 50} << QList<int>{255, 0, 0};
    QTest::newRow("green, a quarter light") << QList<int>{120, 100, 25} << QList<int>{0, 128, 0};
    QTest::newRow("near gold") << QList<int>{47, 100, 50} << QList<int>{255, 200, 0};
    QTest::newRow("muted blue") << QList<int>{210, 50, 40} << QList<int>{51, 102, 153};
    QTest::newRow("grey") << QList<int>{300, 0, 60} << QList<int>{153, 153, 153};
}

void tst_Chooser::hslBoxes()
{
    QFETCH(QList<int>, hsl);
    QFETCH(QList<int>, rgb);
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        typeInto(chooser.findChild<QSpinBox *>("hue"), QString::number(hsl[0]));
        typeInto(chooser.findChild<QSpinBox *>("saturation"), QString::number(hsl[1]));
        typeInto(chooser.findChild<QSpinBox *>("lightness"), QString::number(hsl[2]));
        QCOMPARE(spinValues(chooser), rgb);
        QCOMPARE(spinValues(chooser, "hue", "saturation", "lightness"), hsl);  // kept as typed
        QCOMPARE(chooser.findChild<QLineEdit *>("typedColor")->text(),
                 QColor(rgb[0], rgb[1], rgb[2]).name().toUpper());

        // The other way: the typed components stay exact while the boxes
        // show their hue, saturation and lightness (QColor's, in 0..255).
        for (const QColor &sample : {QColor(255, 165, 0), QColor(1, 2, 3), QColor(200, 100, 101), QColor(17, 17, 17)}) {
            typeColor(chooser, sample.red(), sample.green(), sample.blue());
            QCOMPARE(spinValues(chooser), QList<int>({sample.red(), sample.green(), sample.blue()}));
            const QList<int> shown = spinValues(chooser, "hue", "saturation", "lightness");
            if (sample.hslHue() >= 0)
                QVERIFY(std::abs(shown[0] - sample.hslHue()) <= 1);
            // Half a per cent from rounding the box, half a step from QColor's.
            QVERIFY(std::abs(shown[1] * 255 - sample.hslSaturation() * 100) <= 178);
            QVERIFY(std::abs(shown[2] * 255 - sample.lightness() * 100) <= 178);
        }
        press(chooser, "cancel");
    });
}

void tst_Chooser::boxesTakeTheNearestNumber_data()
{
    // A number past the end takes that end; the hue goes round 360 degrees.
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byEnter");  // else the focus leaves by Tab
    QTest::addColumn<int>("kept");
    QTest::newRow("red 300") << "red" << "300" << true << 255;
    QTest::newRow("red 256, Tab") << "red" << "256" << false << 255;
    QTest::newRow("green 99999") << "green" << "99999" << true << 255;
    QTest::newRow("blue -5") << "blue" << "-5" << true << 0;
    QTest::newRow("blue 255 stays") << "blue" << "255" << true << 255;
    QTest::newRow("saturation 101") << "saturation" << "101" << true << 100;
    QTest::newRow("lightness 250, Tab") << "lightness" << "250" << false << 100;
    QTest::newRow("hue 360") << "hue" << "360" << true << 0;
    QTest::newRow("hue 720, Tab") << "hue" << "720" << false << 0;
    QTest::newRow("hue 361") << "hue" << "361" << true << 1;
    QTest::newRow("hue -30") << "hue" << "-30" << true << 330;
    QTest::newRow("hue -390") << "hue" << "-390" << true << 330;
    QTest::newRow("hue 359 stays") << "hue" << "359" << true << 359;
}

void tst_Chooser::boxesTakeTheNearestNumber()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, byEnter);
    QFETCH(int, kept);
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        // hsl(0, 50%, 50%): a new hue shows with its saturation and lightness.
        typeColor(chooser, 191, 64, 64);
        auto *spin = chooser.findChild<QSpinBox *>(box);
        typeInto(spin, typed);
        QCOMPARE(spin->text(), typed + spin->suffix());  // every digit typed is there
        // Enter also presses OK; the boxes are read before the chooser closes.
        QTest::keyClick(spin, byEnter ? Qt::Key_Return : Qt::Key_Tab);
        QCOMPARE(spin->value(), kept);
        QCOMPARE(spin->text(), QString::number(kept) + spin->suffix());
        if (box == QLatin1String("red"))
            QCOMPARE(spinValues(chooser), QList<int>({kept, 64, 64}));
        if (box == QLatin1String("hue"))
            QCOMPARE(spinValues(chooser, "hue", "saturation", "lightness"), QList<int>({kept, 50, 50}));
        if (chooser.isVisible())
            press(chooser, "cancel");
    });
}

void tst_Chooser::typedColours_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("colour");   // empty: refused
    QTest::addColumn<QString>("message");  // beside the field
    const QString unreadable = QStringLiteral("変換できません");
    QTest::newRow("#RRGGBB") << "#FFA500" << "#FFA500" << "";
    QTest::newRow("RRGGBB, lower case") << "ffa500" << "#FFA500" << "";
    QTest::newRow("#RGB") << "#F80" << "#FF8800" << "";
    QTest::newRow("rgb()") << "rgb(1, 2, 3)" << "#010203" << "";
    QTest::newRow("a name in mixed case") << "DarkOrange" << "#FF8C00" << "";
    QTest::newRow("a starred name without its star") << "brass" << "#B5A642" << "";
    QTest::newRow("rebeccapurple") << "RebeccaPurple" << "#663399" << "";
    QTest::newRow("rgb() in space syntax, clamped") << "rgb(256 0 50%)" << "#FF0080" << "";
    QTest::newRow("hsl() with a decimal") << "hsl(210, 65%, 20.4%)" << "#123456" << "";
    QTest::newRow("hwb() in turns") << "hwb(0.5turn 10% 10%)" << "#1AE6E6" << "";
    QTest::newRow("color(srgb)") << "color(srgb 1 0.5 0)" << "#FF8000" << "";
    // Mapped as colorjs.io maps them by CSS's method.
    QTest::newRow("oklch() outside sRGB") << "oklch(0.7 0.4 30)" << "#FF5843"
                                          << "sRGBの範囲外のため近い色にしました";
    QTest::newRow("color() beyond sRGB") << "color(srgb 1.5 0 0)" << "#FFB7A9"
                                         << "sRGBの範囲外のため近い色にしました";
    QTest::newRow("transparent") << "rgb(1 2 3 / 50%)" << "" << "透明な色は扱えません";
    QTest::newRow("#RGBA") << "#F808" << "" << "透明な色は扱えません";
    QTest::newRow("digits only: a decimal read-out") << "197121" << ""
                                                     << "16進の色は「#」から入力してください";
    QTest::newRow("digits only: seven of them") << "1234567" << ""
                                                 << "16進の色は「#」から入力してください";
    QTest::newRow("a component out of range, clamped") << "rgb(256, 0, 0)" << "#FF0000" << "";
    QTest::newRow("seven digits") << "#1234567" << "" << unreadable;
    QTest::newRow("not hexadecimal") << "#GG0000" << "" << unreadable;
    QTest::newRow("no such name") << "orangy" << "" << unreadable;
    QTest::newRow("a function CSS lacks") << "cmyk(0 0 0 0)" << "" << unreadable;
    QTest::newRow("empty") << "" << "" << unreadable;
}

void tst_Chooser::typedColours()
{
    QFETCH(QString, text);
    QFETCH(QString, colour);
    QFETCH(QString, message);
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        typeColor(chooser, 9, 8, 7);
        const QSize size = chooser.size();
        auto *field = chooser.findChild<QLineEdit *>("typedColor");
        auto *error = chooser.findChild<QLabel *>("typedColorError");
        QCOMPARE(field->text(), QStringLiteral("#090807"));
        for (bool byEnter : {true, false}) {
            typeInto(field, text);
            if (byEnter)
                QTest::keyClick(field, Qt::Key_Return);
            else
                QTest::keyClick(field, Qt::Key_Tab);  // the focus leaves
            QVERIFY(chooser.isVisible());  // Enter in the field does not press OK
            QCOMPARE(error->text(), message);
            QCOMPARE(field->accessibleDescription(), message);
            QCOMPARE(chooser.size(), size);
            if (colour.isEmpty()) {
                QCOMPARE(spinValues(chooser), QList<int>({9, 8, 7}));
                QVERIFY(field->palette().color(QPalette::Base) != chooser.palette().color(QPalette::Base));
                field->setFocus();
                QTest::keyClick(field, Qt::Key_End);
                QTest::keyClick(field, Qt::Key_X);  // any change of the text clears the mark
                QCOMPARE(error->text(), QString());
                QCOMPARE(field->palette().color(QPalette::Base), chooser.palette().color(QPalette::Base));
            } else {
                QCOMPARE(spinValues(chooser), components(colour));
                QCOMPARE(field->text(), colour);
                QCOMPARE(field->palette().color(QPalette::Base), chooser.palette().color(QPalette::Base));
                typeColor(chooser, 9, 8, 7);
                QCOMPARE(error->text(), QString());
            }
        }
        press(chooser, "cancel");
    });
    QCOMPARE(form.ColorDialog1->color(), 0);
}

void tst_Chooser::okReadsTheTypedColourFirst()
{
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        auto *field = chooser.findChild<QLineEdit *>("typedColor");
        auto *error = chooser.findChild<QLabel *>("typedColorError");
        // Unreadable text: OK keeps the chooser open and says why.
        typeInto(field, QStringLiteral("oklch(0.5 0.1)"));
        press(chooser, "ok");
        QVERIFY(chooser.isVisible());
        QCOMPARE(error->text(), QStringLiteral("変換できません"));
        QCOMPARE(QApplication::focusWidget(), field);
        // A colour typed and never submitted is what OK confirms.
        typeInto(field, QStringLiteral("hsl(39 100% 50%)"));
        press(chooser, "ok");
    });
    QCOMPARE(form.ColorDialog1->color(), MakeColor(255, 166, 0));
}

void tst_Chooser::destroyedWhileTyping()
{
    // Destroyed while shown with text typed, the field loses the focus on
    // the way out; the sanitized build catches a read into the chooser then.
    TChooseColorRequest request;
    request.flags = TChooseColorRequest::RgbInit | TChooseColorRequest::FullOpen;
    auto chooser = std::make_unique<TColorChooser>(request);
    chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(chooser.get()));
    chooser->activateWindow();
    QTRY_VERIFY(chooser->isActiveWindow());
    auto *field = chooser->findChild<QLineEdit *>("typedColor");
    typeInto(field, QStringLiteral("#FFC8"));
    QCOMPARE(QApplication::focusWidget(), field);
    chooser.reset();
}

void tst_Chooser::previewShowsNewAndOriginalColour()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        typeColor(chooser, 255, 165, 0);
        press(chooser, "ok");
    });
    withChooser(form, [](TColorChooser &chooser) {
        auto *preview = chooser.findChild<QFrame *>("preview");
        auto *original = chooser.findChild<QFrame *>("originalPreview");
        auto *nearest = chooser.findChild<QLabel *>("nearestName");
        QCOMPARE(nearest->text(), QStringLiteral("orange"));
        typeColor(chooser, 255, 200, 0);
        QCOMPARE(preview->palette().color(QPalette::Window), QColor(255, 200, 0));
        QCOMPARE(original->palette().color(QPalette::Window), QColor(255, 165, 0));
        QCOMPARE(preview->accessibleName(), QStringLiteral("新しい色"));
        QCOMPARE(original->accessibleName(), QStringLiteral("元の色"));
        QCOMPARE(original->accessibleDescription(), QStringLiteral("#FFA500"));
        // #FFC800 lies 5.0 from gold (#FFD700) by CIEDE2000.
        QCOMPARE(nearest->text(), QStringLiteral("近い色 gold (ΔE 5.0)"));
        press(chooser, "cancel");
    });
}

void tst_Chooser::textOnBackground()
{
    // The sample's colours, read from its pixels: the background at a
    // corner inside the frame, and whether any pixel is the text colour.
    const auto sampleShows = [](TColorChooser &chooser, QColor text, QColor background) {
        const QImage image = chooser.findChild<QFrame *>("pairSample")->grab().toImage();
        if (image.pixelColor(4, 4) != background)
            return false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == text)
                    return true;
        return false;
    };
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        auto *figures = chooser.findChild<QLabel *>("pairFigures");
        auto *sample = chooser.findChild<QFrame *>("pairSample");
        auto *nearestText = chooser.findChild<QPushButton *>("nearestText");
        auto *nearestBackground = chooser.findChild<QPushButton *>("nearestBackground");
        // #777777 on white is 4.478: cut to 4.47, failing AA, passing large
        // text's AA and 3:1 for borders; the nearest grey that passes is
        // #767676 (4.542). APCA Lc of #777777 on white is 71.1 (colorjs.io).
        typeColor(chooser, 0x77, 0x77, 0x77);
        QCOMPARE(figures->text(), QStringLiteral("4.47:1 · AA 不合格 · AAA 不合格\n大きな文字 AA 合格 · AAA 不合格\n"
                                                 "図形・枠 3:1 合格 · APCA Lc 71.1"));
        // All of it shown, no line drawn over another.
        QVERIFY(figures->heightForWidth(figures->width()) <= figures->height());
        QVERIFY(sample->accessibleDescription().startsWith(QStringLiteral("文字 #777777、背景 #FFFFFF。4.47:1 · AA 不合格")));
        QVERIFY(sampleShows(chooser, QColor(0x77, 0x77, 0x77), Qt::white));
        QVERIFY(nearestText->isVisible() && nearestBackground->isVisible());
        QCOMPARE(nearestText->accessibleName(), QStringLiteral("文字色を #767676 に"));
        // An access key clicks its button a moment later, as a click would look.
        QTest::keyClick(&chooser, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(spinValues(chooser), QList<int>({0x76, 0x76, 0x76}));
        QVERIFY(figures->text().startsWith(QStringLiteral("4.54:1 · AA 合格")));
        QVERIFY(!nearestText->isVisible() && !nearestBackground->isVisible());

        // The new colour becomes the background (Alt+K); swapped (Alt+W),
        // the text is white again on #767676.
        QTest::keyClick(&chooser, Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(sampleShows(chooser, QColor(0x76, 0x76, 0x76), QColor(0x76, 0x76, 0x76)));
        typeColor(chooser, 255, 0, 0);
        QVERIFY(sampleShows(chooser, Qt::red, QColor(0x76, 0x76, 0x76)));
        QTest::keyClick(&chooser, Qt::Key_W, Qt::AltModifier);
        QTRY_COMPARE(spinValues(chooser), QList<int>({0x76, 0x76, 0x76}));
        QVERIFY(sampleShows(chooser, QColor(0x76, 0x76, 0x76), Qt::red));

        // Red text on blue as with protanopia: colorspacious's sRGB1+CVD at
        // severity 100 gives #6D5F00 and #0059FF.
        typeColor(chooser, 0, 0, 255);
        QTest::keyClick(&chooser, Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(sampleShows(chooser, Qt::blue, Qt::blue));
        typeColor(chooser, 255, 0, 0);
        auto *vision = chooser.findChild<QComboBox *>("vision");
        auto *severity = chooser.findChild<QSpinBox *>("severity");
        QVERIFY(!severity->isEnabled());
        vision->setFocus();
        vision->setCurrentIndex(1);
        QCOMPARE(vision->currentText(), QStringLiteral("1型2色覚（P型）"));
        QVERIFY(sampleShows(chooser, QColor(0x6D, 0x5F, 0x00), QColor(0x00, 0x59, 0xFF)));
        QVERIFY(sample->accessibleDescription().startsWith(
            QStringLiteral("文字 #FF0000、背景 #0000FF（1型2色覚（P型）では文字 #6D5F00、背景 #0059FF）。")));
        // The context menu copies the pair in each form, and the colours
        // as seen.
        QStringList items;
        QTimer::singleShot(0, sample, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *item : menu->actions())
                if (!item->isSeparator())
                    items << item->text();
            menu->actions().value(1)->trigger();
            menu->close();
        });
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(4, 4), sample->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(sample, &request);
        QCOMPARE(items.size(), 10);
        QCOMPARE(items.first(), QStringLiteral("color: #FF0000; background-color: #0000FF;をコピー(&H)"));
        QCOMPARE(items.last(), QStringLiteral("#0059FF（1型2色覚（P型）の背景）をコピー(&G)"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("color: rgb(255, 0, 0); background-color: rgb(0, 0, 255);"));
        vision->setCurrentIndex(5);  // protanomaly: at 100 % the same as protanopia
        QVERIFY(severity->isEnabled());
        severity->setValue(100);
        QVERIFY(sampleShows(chooser, QColor(0x6D, 0x5F, 0x00), QColor(0x00, 0x59, 0xFF)));
        severity->setValue(0);
        QVERIFY(sampleShows(chooser, Qt::red, Qt::blue));
        vision->setCurrentIndex(0);
        press(chooser, "cancel");
    });
    // The background outlives a Cancel and a new opening.
    QCOMPARE(form.ColorDialog1->background(), MakeColor(0, 0, 255));
    withChooser(form, [&](TColorChooser &chooser) {
        QVERIFY(chooser.findChild<QFrame *>("pairSample")->accessibleDescription().startsWith(
            QStringLiteral("文字 #000000、背景 #0000FF")));
        press(chooser, "cancel");
    });
}

void tst_Chooser::fieldClickAtBlackShowsAColour()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        auto *field = chooser.findChild<QWidget *>("hueSaturationField");
        QCOMPARE(spinValues(chooser), QList<int>({0, 0, 0}));
        const QPoint noSaturation(0, field->height() - 1);
        QTest::mouseClick(field, Qt::LeftButton, {}, noSaturation);
        QCOMPARE(spinValues(chooser), QList<int>({255, 255, 255}));
        // A drag that starts at black shows colours too.
        typeColor(chooser, 0, 0, 0);
        sendMouse(field, QEvent::MouseButtonPress, QPoint(field->width() / 3, 0), Qt::LeftButton);
        sendMouse(field, QEvent::MouseMove, QPoint(field->width() / 3 + 1, 0), Qt::LeftButton);
        sendMouse(field, QEvent::MouseButtonRelease, QPoint(field->width() / 3 + 1, 0), Qt::NoButton);
        const QList<int> rgb = spinValues(chooser);
        QCOMPARE(*std::max_element(rgb.begin(), rgb.end()), 255);
        QCOMPARE(chooser.findChild<QSpinBox *>("lightness")->value(), 50);
        // A grey keeps the field's hue: from the blue before it, one step up
        // in saturation at grey 128 tints it blue (255 * (128/255 - 128/255/255)
        // is 127.5 less a little).
        typeColor(chooser, 0, 0, 255);
        auto *typed = chooser.findChild<QLineEdit *>("typedColor");
        typeInto(typed, QStringLiteral("#808080"));
        QTest::keyClick(typed, Qt::Key_Return);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Up);
        QCOMPARE(spinValues(chooser), QList<int>({127, 127, 128}));
        // Away from black the brightness stays as it is.
        typeColor(chooser, 0, 0, 128);
        QTest::mouseClick(field, Qt::LeftButton, {}, noSaturation);
        QCOMPARE(spinValues(chooser), QList<int>({128, 128, 128}));
        press(chooser, "cancel");
    });
}

void tst_Chooser::screenPickButton()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        auto *button = chooser.findChild<QPushButton *>("pickFromScreen");
        auto *picker = chooser.findChild<TScreenPicker *>();
        QVERIFY(button && picker);
        QCOMPARE(button->text(), QStringLiteral("スポイト(&P)"));
        QCOMPARE(button->isEnabled(), picker->isAvailable());
        if (!picker->isAvailable())
            QCOMPARE(button->toolTip(), picker->unavailableReason());
        else
            QVERIFY(!button->toolTip().isEmpty());
        typeColor(chooser, 1, 2, 3);
        // A pick that ends without a colour changes nothing and says why
        // beside the button, which stays as it was, until the next change.
        auto *message = chooser.findChild<QLabel *>("pickMessage");
        QVERIFY(message);
        const bool enabled = button->isEnabled();
        emit picker->cancelled(QStringLiteral("デスクトップが色を取れませんでした"));
        QCOMPARE(spinValues(chooser), QList<int>({1, 2, 3}));
        QCOMPARE(message->text(), QStringLiteral("デスクトップが色を取れませんでした"));
        QCOMPARE(button->accessibleDescription(), message->text());
        QCOMPARE(button->isEnabled(), enabled);
        emit picker->picked(MakeColor(12, 34, 56));
        QCOMPARE(message->text(), QString());
        QCOMPARE(spinValues(chooser), QList<int>({12, 34, 56}));
        QCOMPARE(chooser.findChild<QLineEdit *>("typedColor")->text(), QStringLiteral("#0C2238"));
        press(chooser, "cancel");
    });
}

void tst_Chooser::paletteOfTheRun()
{
    const auto form = showForm();
    const auto runNames = [](TColorChooser &chooser) {
        QStringList names;
        for (QAbstractButton *cell : cells(chooser, "runColors"))
            names << cell->accessibleName();
        return names;
    };
    const QString empty = QStringLiteral("空き");
    withChooser(form, [&](TColorChooser &chooser) {
        QCOMPARE(runNames(chooser), QStringList(8, empty));
        // Two picks, the first again, and a pick of a named colour.
        auto *picker = chooser.findChild<TScreenPicker *>();
        for (TColor colour : {MakeColor(1, 2, 3), MakeColor(4, 5, 6), MakeColor(1, 2, 3), MakeColor(255, 0, 0)})
            emit picker->picked(colour);
        QCOMPARE(runNames(chooser).mid(0, 4), QStringList({"#FF0000 red", "#010203", "#040506", empty}));
        typeColor(chooser, 7, 8, 9);
        press(chooser, "cancel");
    });
    withChooser(form, [&](TColorChooser &chooser) {
        // Picks outlive a Cancel; the colour cancelled is none of the run's.
        QCOMPARE(runNames(chooser).mid(0, 4), QStringList({"#FF0000 red", "#010203", "#040506", empty}));
        typeColor(chooser, 7, 8, 9);
        press(chooser, "ok");
    });
    withChooser(form, [&](TColorChooser &chooser) {
        QCOMPARE(runNames(chooser).mid(0, 5),
                 QStringList({"#070809", "#FF0000 red", "#010203", "#040506", empty}));
        // Alt+Q reaches the row; Enter makes the colour the new one.
        QTest::keyClick(&chooser, Qt::Key_Q, Qt::AltModifier);
        QVERIFY(cells(chooser, "runColors").contains(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(spinValues(chooser), QList<int>({255, 0, 0}));
        // Its menu adds it to the custom colours.
        QTimer::singleShot(0, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QTest::keyClick(menu, Qt::Key_A);
        });
        QWidget *third = cells(chooser, "runColors")[2];
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), third->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(third, &menuKey);
        QTRY_COMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#010203"));

        // The custom colours and the run's copied out, in the form chosen.
        auto *button = chooser.findChild<QPushButton *>("paletteMenu");
        QCOMPARE(button->text(), QStringLiteral("パレット(&O)"));
        QCOMPARE(button->accessibleName(), QStringLiteral("パレット"));
        QMenu *custom = chooser.findChild<QMenu *>("copyCustomColors");
        custom->actions()[0]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral(":root {\n  --color-1: #010203;\n}\n"));
        chooser.findChild<QMenu *>("valueForms")->actions()[1]->trigger();  // rgb()
        chooser.findChild<QMenu *>("copyRunColors")->actions()[3]->trigger();  // a JSON object
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("{\n  \"color-1\": \"rgb(7, 8, 9)\",\n  \"red\": \"rgb(255, 0, 0)\",\n"
                                "  \"color-3\": \"rgb(1, 2, 3)\",\n  \"color-4\": \"rgb(4, 5, 6)\"\n}\n"));
        QCOMPARE(chooser.findChild<QLabel *>("paletteMessage")->text(),
                 QStringLiteral("最近の色 4 色を JSON オブジェクト としてコピーしました。"));
        press(chooser, "cancel");
    });
    // The form chosen is kept for the run.
    withChooser(form, [&](TColorChooser &chooser) {
        QVERIFY(chooser.findChild<QMenu *>("valueForms")->actions()[1]->isChecked());
        press(chooser, "cancel");
    });
}

void tst_Chooser::pasteAndUndo_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("message");

    QTest::newRow("custom properties")
        << ":root { --brand: #0055FF; --accent: rebeccapurple; --shadow: rgb(0 0 0 / 50%);\n"
           "  --brand-again: #0055ff; --p3: color(display-p3 1 0 0); }"
        << QStringList{"#0055FF", "#663399", "#FF0B0C", "空き"}
        << "3 色を作成した色に取り込みました。残した色: 重複 1 色、透明 1 色。sRGB の範囲外の 1 色は近い色にしました。";
    QTest::newRow("prose without a colour") << "The red team won."
                                            << QStringList{"#0A0B0C", "空き", "空き", "空き"}
                                            << "クリップボードの文字に色が見つかりません。作成した色は変わりません。";
    QTest::newRow("an empty clipboard") << QString() << QStringList{"#0A0B0C", "空き", "空き", "空き"}
                                        << "クリップボードに文字がありません。作成した色は変わりません。";
    QString many;
    for (int i = 1; i <= 20; ++i)
        many += QStringLiteral("#%1 ").arg(i, 6, 10, QLatin1Char('0'));
    QTest::newRow("twenty colours") << many << QStringList{"#000001", "#000002", "#000003", "#000004"}
                                    << "16 色を作成した色に取り込みました。残した色: 16 色を超えた 4 色。";
    QTest::newRow("seventeen megabytes") << "#0055FF " + QString(17 * 1024 * 1024, QLatin1Char('x')) + " #FF0000"
                                         << QStringList{"#0055FF", "空き", "空き", "空き"}
                                         << "1 色を作成した色に取り込みました。長い文字のため、最初の 16 MB だけを読みました。";
}

void tst_Chooser::pasteAndUndo()
{
    QFETCH(QString, clipboard);
    QFETCH(QStringList, cells);
    QFETCH(QString, message);
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        typeColor(chooser, 10, 11, 12);
        press(chooser, "addCustomColor");
        QGuiApplication::clipboard()->setText(clipboard);
        // Alt+O opens the menu; P pastes.
        QTimer::singleShot(0, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QTest::keyClick(menu, Qt::Key_P);
        });
        QTest::keyClick(&chooser, Qt::Key_O, Qt::AltModifier);
        auto *said = chooser.findChild<QLabel *>("paletteMessage");
        QTRY_COMPARE(said->text(), message);
        QCOMPARE(chooser.findChild<QPushButton *>("paletteMenu")->accessibleDescription(), message);
        const QStringList keys = {"ColorA", "ColorB", "ColorC", "ColorD"};
        QStringList shown;
        for (const QString &key : keys)
            shown << swatchName(chooser, qPrintable(key));
        QCOMPARE(shown, cells);
        // The next added colour goes after the pasted ones; the paste can
        // be taken back until then.
        QAction *undo = chooser.findChild<QAction *>("undoPaste");
        QCOMPARE(undo->isEnabled(), cells[0] != QStringLiteral("#0A0B0C"));
        if (undo->isEnabled()) {
            undo->trigger();
            QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#0A0B0C"));
            QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("空き"));
            QVERIFY(!undo->isEnabled());
            typeColor(chooser, 1, 1, 1);
            press(chooser, "addCustomColor");
            QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("#010101"));
        }
        press(chooser, "ok");
    });
}

void tst_Chooser::pasteKeepsTheChooserAnswering()
{
    // Thirty megabytes of colours on one line: the chooser keeps answering
    // while they are cut, converted and read, and takes at most sixteen.
    const auto form = showForm();
    QGuiApplication::clipboard()->setText(QStringLiteral("#123456 #654321 ").repeated(30 * 1024 * 1024 / 16));
    withChooser(form, [&](TColorChooser &chooser) {
        QAction *paste = chooser.findChild<QAction *>("pastePalette");
        paste->trigger();
        QVERIFY(!paste->isEnabled());
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(0);
        QTRY_VERIFY_WITH_TIMEOUT(paste->isEnabled(), 60000);
        QVERIFY(ticks > 1);
        QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("#654321"));
        QCOMPARE(swatchName(chooser, "ColorC"), QStringLiteral("空き"));
        // Closed while reading, the chooser takes the reading down with it.
        paste->trigger();
        press(chooser, "cancel");
    });
}

void tst_Chooser::windowManners()
{
    const auto form = showForm();
    withChooser(form, [](TColorChooser &chooser) {
        QVERIFY(!(chooser.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(chooser.minimumSize(), chooser.maximumSize());
        // Every control a user can reach has a name, and every caption an
        // access key of its own.
        QStringList keys;
        for (QWidget *child : chooser.findChildren<QWidget *>()) {
            const bool inSpinBox = qobject_cast<QSpinBox *>(child->parentWidget());
            if (child->isVisible() && (child->focusPolicy() & Qt::TabFocus) && !inSpinBox)
                QVERIFY2(!QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name).isEmpty(),
                         child->metaObject()->className());
            QString caption;
            if (auto *label = qobject_cast<QLabel *>(child); label && label->buddy())
                caption = label->text();
            else if (auto *button = qobject_cast<QPushButton *>(child))
                caption = button->text();
            if (caption.isEmpty() || caption == QStringLiteral("OK") || caption == QStringLiteral("キャンセル"))
                continue;  // Enter and Escape are their keys
            const qsizetype amp = caption.indexOf(QLatin1String("(&"));
            QVERIFY2(amp > 0, qPrintable(caption));
            keys << caption.mid(amp + 2, 1).toUpper();
        }
        keys.sort();
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        // A caption tells HSV from HSL, and a screen reader hears the caption.
        const std::pair<const char *, QString> named[] = {
            {"hueSaturationField", QStringLiteral("色相と彩度 (HSV)")}, {"brightnessBar", QStringLiteral("明るさ (HSV)")},
            {"hue", QStringLiteral("色相")}, {"saturation", QStringLiteral("彩度 (HSL)")},
            {"lightness", QStringLiteral("明度 (HSL)")}};
        for (const auto &[name, caption] : named) {
            auto *widget = chooser.findChild<QWidget *>(QLatin1String(name));
            QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), caption);
            QLabel *label = nullptr;
            for (QLabel *candidate : chooser.findChildren<QLabel *>())
                if (candidate->buddy() == widget)
                    label = candidate;
            QVERIFY2(label && label->text().startsWith(caption + QStringLiteral("(&")), name);
        }
        for (const char *key : {"R", "G", "U", "A", "B", "T", "P", "H"})
            QVERIFY2(keys.contains(QLatin1String(key)), key);
        // Buttons and captions are read aloud as they read, without the key.
        for (QWidget *child : chooser.findChildren<QWidget *>()) {
            if (!qobject_cast<QLabel *>(child) && !qobject_cast<QPushButton *>(child))
                continue;
            const QString name = QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name);
            QVERIFY2(!name.contains(QRegularExpression(QStringLiteral("\\([A-Z]\\)"))), qPrintable(name));
        }
        // The typed field shows long pasted texts whole: the cursor moves
        // over the whole text's width without scrolling it. The chooser
        // still fits a 1280 x 1024 screen.
        auto *field = chooser.findChild<QLineEdit *>("typedColor");
        for (const QString &text : {QStringLiteral("color(display-p3 0.99999 0.99999 0.99999)"),
                                   QStringLiteral("oklch(0.813544 0.245336 146.204676)"), QStringLiteral("#000000"),
                                   QStringLiteral("oklab(0.798005 -0.208177 0.1504002)")}) {
            const auto cursor = [field] { return field->inputMethodQuery(Qt::ImCursorRectangle).toRect(); };
            field->setText(text);
            field->setCursorPosition(0);
            const int start = cursor().center().x();
            field->setCursorPosition(int(text.size()));
            QCOMPARE(cursor().center().x() - start, field->fontMetrics().horizontalAdvance(text));
            QVERIFY(cursor().right() < field->width());
        }
        QVERIFY2(chooser.frameGeometry().width() <= 1280 && chooser.frameGeometry().height() <= 1024,
                 qPrintable(QStringLiteral("%1 x %2").arg(chooser.frameGeometry().width()).arg(chooser.frameGeometry().height())));
        press(chooser, "cancel");
    });
}

void tst_Chooser::request()
{
    TColorDialog dialog(nullptr);
    dialog.setOptions(TColorDialog::cdFullOpen | TColorDialog::cdPreventFullOpen | TColorDialog::cdShowHelp
                      | TColorDialog::cdSolidColor | TColorDialog::cdAnyColor);
    QWidget owner;
    const TChooseColorRequest request = dialog.request(&owner);
    QCOMPARE(request.flags, 415u);
    QCOMPARE(request.initialColor, 0);
    QCOMPARE(request.owner, &owner);
    const TCustomColors expected = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    QCOMPARE(request.customColors, expected);

    dialog.setOptions(TColorDialog::cdShowHelp);
    QCOMPARE(dialog.request(nullptr).flags, 1u + 16u + 8u);
}

void tst_Chooser::placement_data()
{
    QTest::addColumn<QRect>("monitor");
    QTest::addColumn<QSize>("chooser");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("full HD") << QRect(0, 0, 1920, 1080) << QSize(600, 400) << QPoint(660, 226);
    QTest::newRow("left of the primary, odd sizes") << QRect(-1280, 100, 1280, 1024) << QSize(601, 401)
                                                    << QPoint(-1280 + 339, 100 + 207);
    QTest::newRow("larger than the monitor: toward zero") << QRect(0, 0, 800, 600) << QSize(1001, 700)
                                                          << QPoint(-100, -33);
}

void tst_Chooser::placement()
{
    QFETCH(QRect, monitor);
    QFETCH(QSize, chooser);
    QFETCH(QPoint, position);
    QCOMPARE(ChooserPosition(monitor, chooser), position);
}

void tst_Chooser::chooserIsPlacedOnItsMonitor()
{
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        const QRect monitor = form->screen()->geometry();
        QCOMPARE(chooser.frameGeometry().topLeft(),
                 ChooserPosition(monitor, chooser.frameGeometry().size()));
        press(chooser, "cancel");
    });
}

TINTARO_TEST_MAIN(tst_Chooser)
#include "tst_chooser.moc"
