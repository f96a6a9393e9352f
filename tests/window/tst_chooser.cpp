// The colour chooser opened by "ダイアログ": what it is given, what it shows,
// what OK and Cancel leave behind, custom colours across openings, placement.
#include "windowtest.h"

#include "chooser.h"
#include "colordialog.h"

#include <QLineEdit>
#include <QPushButton>
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

QList<int> spinValues(TColorChooser &chooser)
{
    return {chooser.findChild<QSpinBox *>("red")->value(), chooser.findChild<QSpinBox *>("green")->value(),
            chooser.findChild<QSpinBox *>("blue")->value()};
}

QString swatchName(TColorChooser &chooser, const char *slot)
{
    return chooser.findChild<QPushButton *>(QString::fromLatin1(slot))->accessibleName();
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
        press(chooser, "ok");
    });
    const auto &stored = form.ColorDialog1->customColors();
    QCOMPARE(int(stored.size()), 16);
    QCOMPARE(stored.at("ColorA"), std::string("00A5FF"));  // blue, green, red
    QCOMPARE(stored.at("ColorP"), std::string("FFFFFFFF"));  // an empty slot stays -1

    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(swatchName(chooser, "ColorA"), QStringLiteral("#FFA500"));  // kept from the OK
        typeColor(chooser, 1, 2, 3);
        press(chooser, "addCustomColor");
        QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("#010203"));
        press(chooser, "cancel");
    });
    withChooser(form, [](TColorChooser &chooser) {
        QCOMPARE(swatchName(chooser, "ColorB"), QStringLiteral("空き"));  // lost with the cancel
        // Pressing a custom colour makes it current.
        press(chooser, "ColorA");
        QCOMPARE(spinValues(chooser), QList<int>({255, 165, 0}));
        press(chooser, "ok");
    });
    QCOMPARE(TShown::of(form), TShown::settled(255, 165, 0, "orange"));
}

void tst_Chooser::request()
{
    TColorDialog dialog(nullptr);
    dialog.setOptions(TColorDialog::cdFullOpen | TColorDialog::cdPreventFullOpen | TColorDialog::cdShowHelp
                      | TColorDialog::cdSolidColor | TColorDialog::cdAnyColor);
    dialog.setCustomColor("ColorA", "FF");
    dialog.setCustomColor("ColorB", "");
    dialog.setCustomColor("ColorC", "not hex");
    dialog.setCustomColor("ColorE", "00A5FF");
    dialog.setCustomColor("ColorP", "FFFFFFFF");
    dialog.setCustomColor("ColorQ", "123456");  // not a slot
    QWidget owner;
    const TChooseColorRequest request = dialog.request(&owner);
    QCOMPARE(request.flags, 415u);
    QCOMPARE(request.initialColor, 0);
    QCOMPARE(request.owner, &owner);
    const TCustomColors expected = {255, -1, -1, -1, 0x00A5FF, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
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
    QCOMPARE(TColorDialog::chooserPosition(monitor, chooser), position);
}

void tst_Chooser::chooserIsPlacedOnItsMonitor()
{
    const auto form = showForm();
    withChooser(form, [&](TColorChooser &chooser) {
        const QRect monitor = form->screen()->geometry();
        QCOMPARE(chooser.frameGeometry().topLeft(),
                 TColorDialog::chooserPosition(monitor, chooser.frameGeometry().size()));
        press(chooser, "cancel");
    });
}

TINTARO_TEST_MAIN(tst_Chooser)
#include "tst_chooser.moc"
