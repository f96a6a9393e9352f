// Choosing a colour by name: mouse clicks, list keys, type-ahead and an
// assistive technology's selection, and what the sliders and read-outs show.
#include "windowtest.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

int rowOf(const char *name)
{
    for (int row = 0; row < NamedColorCount; ++row)
        if (NameOfRow(row) == name)
            return row;
    return -1;
}

// A pixel of a row, as the list shows it, on the row's middle line at x in
// the list's viewport.
QColor rowPixel(TListBox *list, int row, int x)
{
    const QRect rect = list->rowRect(row);
    const QPoint at = list->viewport()->mapTo(list, QPoint(x, rect.center().y()));
    const QImage image = list->grab().toImage();
    return image.pixelColor(at * image.devicePixelRatio());
}

// The middle of the swatch drawn at the start of a row.
QColor chipColour(TListBox *list, int row)
{
    const QRect rect = list->rowRect(row);
    return rowPixel(list, row, rect.left() + rect.height() / 2);
}

void clickRow(TListBox *list, int row)
{
    list->scrollToRow(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->rowRect(row).center());
}

TShown settledOnRow(int row, const char *name)
{
    const TColor c = ColorOfRow(row);
    return TShown::settled(GetRValue(c), GetGValue(c), GetBValue(c), QString::fromUtf8(name));
}

// What ScrollBar1Change left behind on each run during a pick.
struct TRun
{
    QList<int> sliders;
    TColor panel1;
    QString name;
    bool operator==(const TRun &) const = default;
};

} // namespace

namespace QTest {
template<>
inline char *toString(const TRun &run)
{
    return qstrdup(QStringLiteral("(%1,%2,%3 panel %4 '%5')").arg(run.sliders[0]).arg(run.sliders[1])
                       .arg(run.sliders[2]).arg(run.panel1).arg(run.name).toUtf8().constData());
}
} // namespace QTest

class tst_NameList : public QObject
{
    Q_OBJECT

private slots:
    void pickByMouse_data();
    void pickByMouse();
    void chipsLeaveTheRowsAsTheyWere();
    void pickingTheShownColourMovesNothing();
    void changeHandlerRunsDuringAPick_data();
    void changeHandlerRunsDuringAPick();
    void listKeys();
    void typeAhead();
    void selectionByAssistiveTechnology();
    void selectionFromCodeRaisesNothing();
    void clickOnSelectedRowReappliesIt();
};

void tst_NameList::pickByMouse_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<TShown>("expected");
    QTest::newRow("black at start moves nothing but is named") << "black" << TShown::settled(0, 0, 0, "black");
    QTest::newRow("aqua is named cyan") << "aqua" << TShown::settled(0, 255, 255, "cyan");
    QTest::newRow("fuchsia is named magenta") << "fuchsia" << TShown::settled(255, 0, 255, "magenta");
    QTest::newRow("darkbrown *") << "darkbrown *" << TShown::settled(218, 11, 0, "darkbrown *");
    QTest::newRow("yellowgreen, the last row") << "yellowgreen" << TShown::settled(154, 205, 50, "yellowgreen");
    QTest::newRow("aliceblue, the first row") << "aliceblue" << TShown::settled(240, 248, 255, "aliceblue");
    QTest::newRow("lightgoldenrodyellow, longer than its box")
        << "lightgoldenrodyellow" << TShown::settled(250, 250, 210, "lightgoldenrodyellow");
}

void tst_NameList::pickByMouse()
{
    QFETCH(QString, row);
    QFETCH(TShown, expected);
    const auto form = showForm();
    QSignalSpy clicks(form.ListBox1, &TListBox::clickRaised);
    clickRow(form.ListBox1, rowOf(row.toUtf8().constData()));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(form.ListBox1->itemIndex(), rowOf(row.toUtf8().constData()));
    QCOMPARE(TShown::of(form), expected);
    // The picked row's chip keeps its own colour on the selection.
    QCOMPARE(chipColour(form.ListBox1, rowOf(row.toUtf8().constData())),
             QColor(GetRValue(expected.panel1), GetGValue(expected.panel1), GetBValue(expected.panel1)));
    // The selection spans the whole row, the margin before the chip included.
    const QRect rect = form.ListBox1->rowRect(rowOf(row.toUtf8().constData()));
    QCOMPARE(rowPixel(form.ListBox1, rowOf(row.toUtf8().constData()), rect.left() + 1),
             form.ListBox1->palette().color(QPalette::Highlight));
    // The name and the HTML text are shown from their first character.
    for (TEdit *box : {form.Edit1, form.Edit2}) {
        box->grab();  // the box scrolls its text as it paints
        QCOMPARE(box->cursorPositionAt(QPoint(box->contentsRect().left() + 4, box->height() / 2)), 0);
    }
}

void tst_NameList::chipsLeaveTheRowsAsTheyWere()
{
    const auto form = showForm();
    TListBox *list = form.ListBox1;
    // The same names in Qt's own list, set up and placed as the window's:
    // every row stands where Qt puts it, at the top, in the middle and at
    // the end, and the scroll bar counts the same rows.
    QListWidget plain(list->parentWidget());
    plain.setFont(list->font());
    plain.setGeometry(list->geometry());
    plain.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    plain.setUniformItemSizes(true);
    for (int row = 0; row < list->count(); ++row)
        plain.addItem(list->text(row));
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QCOMPARE(list->verticalScrollBar()->maximum(), plain.verticalScrollBar()->maximum());
    QCOMPARE(list->verticalScrollBar()->pageStep(), plain.verticalScrollBar()->pageStep());
    for (int top : {0, 70, plain.verticalScrollBar()->maximum()}) {
        plain.verticalScrollBar()->setValue(top);
        list->verticalScrollBar()->setValue(top);
        for (int row = 0; row < list->count(); ++row) {
            QCOMPARE(list->rowRect(row), plain.visualItemRect(plain.item(row)));
            QCOMPARE(list->text(row), plain.item(row)->text());
        }
        for (int y : {0, 50, plain.viewport()->height() - 1})
            QCOMPARE(list->rowAt(QPoint(20, y)), plain.indexAt(QPoint(20, y)).row());
        // Scrolled to from above and from below as Qt scrolls to it.
        for (int row : {3, 90, NamedColorCount - 1}) {
            plain.scrollToItem(plain.item(row));
            list->scrollToRow(row);
            QCOMPARE(list->verticalScrollBar()->value(), plain.verticalScrollBar()->value());
        }
    }
    // Page Up and Page Down land where they land in Qt's list.
    for (int row : {0, 3, 70, 143, NamedColorCount - 1}) {
        for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp}) {
            plain.setCurrentRow(row);
            list->setItemIndex(row);
            QTest::keyClick(&plain, key);
            QTest::keyClick(list, key);
            QCOMPARE(list->currentRow(), plain.currentRow());
            QCOMPARE(list->verticalScrollBar()->value(), plain.verticalScrollBar()->value());
        }
    }
    plain.hide();
    list->setItemIndex(-1);
    list->verticalScrollBar()->setValue(0);
    // A row that is not selected shows its colour too.
    QCOMPARE(chipColour(list, 0), QColor(240, 248, 255));
    // The chip is a square of 8 px, outline included: black's, measured on
    // the list as drawn through its middle both ways.
    const int black = rowOf("black");
    list->scrollToRow(black);
    const QRect rect = list->rowRect(black);
    const QImage image = list->grab().toImage();
    const QPoint centre = list->viewport()->mapTo(list, QPoint(rect.left() + rect.height() / 2, rect.center().y()));
    const auto run = [&image](QPoint at, QPoint step) {
        while (image.pixelColor(at - step) == Qt::black)
            at -= step;
        int length = 0;
        for (; image.pixelColor(at) == Qt::black; at += step)
            ++length;
        return length;
    };
    QCOMPARE(image.pixelColor(centre), QColor(Qt::black));
    QCOMPARE(run(centre, QPoint(1, 0)), 8);
    QCOMPARE(run(centre, QPoint(0, 1)), 8);
}

void tst_NameList::pickingTheShownColourMovesNothing()
{
    const auto form = showForm();
    clickRow(form.ListBox1, rowOf("aqua"));
    QCOMPARE(TShown::of(form), TShown::settled(0, 255, 255, "cyan"));
    int runs = 0;
    for (TScrollBar *bar : {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3})
        connect(bar, &TScrollBar::changed, form.get(), [&runs] { ++runs; });
    form.Edit1->setText(QStringLiteral("typed"));
    clickRow(form.ListBox1, rowOf("cyan"));
    QCOMPARE(runs, 0);
    QCOMPARE(TShown::of(form), TShown::settled(0, 255, 255, "cyan"));
    clickRow(form.ListBox1, rowOf("aqua"));
    QCOMPARE(runs, 0);
    QCOMPARE(form.Edit1->text(), QStringLiteral("cyan"));
}

void tst_NameList::changeHandlerRunsDuringAPick_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QList<TRun>>("runs");
    QTest::newRow("black to white: three runs on the mixture")
        << "black" << "white"
        << QList<TRun>{{{255, 0, 0}, MakeColor(255, 0, 0), "red"},
                       {{255, 255, 0}, MakeColor(255, 255, 0), "yellow"},
                       {{255, 255, 255}, MakeColor(255, 255, 255), "white"}};
    QTest::newRow("red to darkbrown *: blue does not move")
        << "red" << "darkbrown *"
        << QList<TRun>{{{218, 0, 0}, MakeColor(218, 0, 0), ""}, {{218, 11, 0}, MakeColor(218, 11, 0), "darkbrown *"}};
    QTest::newRow("blue to navy: only blue moves")
        << "blue" << "navy" << QList<TRun>{{{0, 0, 128}, MakeColor(0, 0, 128), "navy"}};
}

void tst_NameList::changeHandlerRunsDuringAPick()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QList<TRun>, runs);
    const auto form = showForm();
    clickRow(form.ListBox1, rowOf(from.toUtf8().constData()));
    QList<TRun> seen;
    // Connected after the window's own handler, so each record is what that
    // run of ScrollBar1Change left, before the next slider was set.
    for (TScrollBar *bar : {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3})
        connect(bar, &TScrollBar::changed, form.get(), [&] {
            seen << TRun{{form.ScrollBar1->position(), form.ScrollBar2->position(), form.ScrollBar3->position()},
                         form.Panel1->color(), form.Edit1->text()};
        });
    clickRow(form.ListBox1, rowOf(to.toUtf8().constData()));
    QCOMPARE(seen, runs);
}

void tst_NameList::listKeys()
{
    const auto form = showForm();
    TListBox *list = form.ListBox1;
    list->setFocus();
    QSignalSpy clicks(list, &TListBox::clickRaised);
    const auto press = [&](Qt::Key key) { QTest::keyClick(form->windowHandle(), key); };

    press(Qt::Key_Down);
    const int first = list->itemIndex();
    QVERIFY(first >= 0);
    QCOMPARE(TShown::of(form), settledOnRow(first, first == rowOf("aqua") ? "cyan" : NameOfRow(first).data()));
    press(Qt::Key_End);
    QCOMPARE(list->itemIndex(), 146);
    QCOMPARE(TShown::of(form), settledOnRow(146, "yellowgreen"));
    press(Qt::Key_Up);
    QCOMPARE(TShown::of(form), settledOnRow(145, "yellow"));
    press(Qt::Key_PageUp);
    const int paged = list->itemIndex();
    QVERIFY(paged < 145);
    QCOMPARE(TShown::of(form).name.toStdString(), std::string(*NameForColor(ColorOfRow(paged))));
    press(Qt::Key_PageDown);
    QVERIFY(list->itemIndex() > paged);
    press(Qt::Key_Home);
    QCOMPARE(TShown::of(form), settledOnRow(0, "aliceblue"));
    QCOMPARE(clicks.count(), 6);
    press(Qt::Key_Home);  // already there: no selection change
    QCOMPARE(clicks.count(), 6);
}

void tst_NameList::typeAhead()
{
    const auto form = showForm();
    TListBox *list = form.ListBox1;
    qint64 now = 10'000;
    list->setClock([&now] { return now; });
    list->setFocus();
    QSignalSpy clicks(list, &TListBox::clickRaised);
    const auto type = [&](const char *text, qint64 pause) {
        for (const char *c = text; *c; ++c) {
            now += pause;
            QTest::keyClick(form->windowHandle(), *c);
        }
    };

    type("d", 0);
    QCOMPARE(list->itemIndex(), rowOf("darkblue"));
    QCOMPARE(clicks.count(), 1);  // Qt's own search does not move it again
    type("arko", 100);
    QCOMPARE(list->searchPrefix(), QStringLiteral("darko"));
    QCOMPARE(list->itemIndex(), rowOf("darkolivegreen"));
    QCOMPARE(TShown::of(form), settledOnRow(rowOf("darkolivegreen"), "darkolivegreen"));
    QCOMPARE(clicks.count(), 5);

    type("r", 499);  // just within the pause: "darkor"
    QCOMPARE(list->itemIndex(), rowOf("darkorange"));
    type("e", 500);  // 500 ms on: a new prefix "e", which no name begins with
    QCOMPARE(list->searchPrefix(), QStringLiteral("e"));
    QCOMPARE(list->itemIndex(), rowOf("darkorange"));
    QCOMPARE(clicks.count(), 6);

    type("YEL", 600);  // case is ignored; each letter after a pause starts again
    QCOMPARE(list->searchPrefix(), QStringLiteral("L"));
    QCOMPARE(list->itemIndex(), rowOf("lavender"));
    type("y", 1000);
    type("el", 10);
    QCOMPARE(list->searchPrefix(), QStringLiteral("yel"));
    QCOMPARE(TShown::of(form), settledOnRow(rowOf("yellow"), "yellow"));

    const int before = int(clicks.count());
    now += 10;
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);  // "ye": still yellow, raised again
    QCOMPARE(list->itemIndex(), rowOf("yellow"));
    QCOMPARE(clicks.count(), before + 1);
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);  // "y": still yellow
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);  // nothing typed: the first row
    QCOMPARE(list->searchPrefix(), QString());
    QCOMPARE(clicks.count(), before + 3);
    QCOMPARE(TShown::of(form), settledOnRow(0, "aliceblue"));
    type("c", 600);  // cadetblue, then Backspace: the first row again
    QCOMPARE(list->itemIndex(), rowOf("cadetblue"));
    now += 10;
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);
    QCOMPARE(TShown::of(form), settledOnRow(0, "aliceblue"));
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);  // nothing typed already: raised again
    QCOMPARE(clicks.count(), before + 6);
    QCOMPARE(TShown::of(form), settledOnRow(0, "aliceblue"));

    type("brass *", 50);  // the space and the asterisk are part of the name
    QCOMPARE(list->itemIndex(), rowOf("brass *"));
    QCOMPARE(form.Edit1->text(), QStringLiteral("brass *"));

    // Ctrl+letter is a command, not a search.
    now += 10;
    QTest::keyClick(form->windowHandle(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(list->searchPrefix(), QStringLiteral("brass *"));
    QCOMPARE(list->itemIndex(), rowOf("brass *"));

    // Backspace restarts the pause: 400 ms after "da", Backspace leaves "d",
    // and "r" 400 ms later (800 ms after the "a") still extends it.
    type("d", 1000);
    type("a", 10);
    now += 400;
    QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);
    type("r", 400);
    QCOMPARE(list->searchPrefix(), QStringLiteral("dr"));
}

void tst_NameList::selectionByAssistiveTechnology()
{
    const auto form = showForm();
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(form.ListBox1);
    QVERIFY(list && list->tableInterface());
    const int current = form.ListBox1->currentRow();
    QVERIFY(list->tableInterface()->selectRow(rowOf("gold")));
    QCOMPARE(form.ListBox1->currentRow(), current);  // the current row did not move
    QCOMPARE(TShown::of(form), settledOnRow(rowOf("gold"), "gold"));
}

void tst_NameList::selectionFromCodeRaisesNothing()
{
    const auto form = showForm();
    QSignalSpy clicks(form.ListBox1, &TListBox::clickRaised);
    form.ListBox1->setItemIndex(rowOf("red"));
    form.ListBox1->setItemIndex(-1);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(form.ScrollBar1->position(), 0);

    // With nothing selected a click keeps Panel1's colour and re-applies it.
    form.ScrollBar2->setPosition(128);
    emit form.ListBox1->clickRaised();
    QCOMPARE(TShown::of(form), TShown::settled(0, 128, 0, "green"));
}

void tst_NameList::clickOnSelectedRowReappliesIt()
{
    const auto form = showForm();
    clickRow(form.ListBox1, rowOf("red"));
    form.ScrollBar2->setPosition(10);
    QCOMPARE(form.Edit1->text(), QString());
    clickRow(form.ListBox1, rowOf("red"));
    QCOMPARE(TShown::of(form), TShown::settled(255, 0, 0, "red"));
    // Ctrl+click does not empty a single-selection list.
    QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      form.ListBox1->rowRect(rowOf("red")).center());
    QCOMPARE(form.ListBox1->itemIndex(), rowOf("red"));
}

TINTARO_TEST_MAIN(tst_NameList)
#include "tst_namelist.moc"
