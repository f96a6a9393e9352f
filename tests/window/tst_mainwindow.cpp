// The main window as the user meets it: layout, start state, focus, the
// sliders' keys and mouse, mixing, scrolling, closing and the error box.
#include "windowtest.h"

#include "colorchooser.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QMenu>
#include <QMenu>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolTip>

#include <limits>

namespace {

// The program's style over the named base for one test, then back.
struct TStyleFor
{
    explicit TStyleFor(const QString &base)
    {
        if (!base.isEmpty())
            QApplication::setStyle(TApplication::createStyle(base));
    }
    ~TStyleFor() { QApplication::setStyle(TApplication::createStyle()); }
    Q_DISABLE_COPY_MOVE(TStyleFor)
};

QColor pixelAtCentre(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void windowDesign();
    void startState();
    void focusAtStartAndTabOrder();
    void sliderKeys_data();
    void sliderKeys();
    void positionClampsAndNotifiesOnlyOnChange();
    void valueSetByAssistiveTechnology_data();
    void valueSetByAssistiveTechnology();
    void troughClicksAndDrag_data();
    void troughClicksAndDrag();
    void mixing_data();
    void mixing();
    void typedTextIsReplaced();
    void readoutsCanBeSelectedAndCopied();
    void swatchesDescribeTheirColour_data();
    void swatchesDescribeTheirColour();
    void copyMenusShowWhatTheyCopy_data();
    void copyMenusShowWhatTheyCopy();
    void ctrlCCopiesTheMixInAControlAddedLater();
    void scrollsWhenSmallerThanContents();
    void exceptionInHandlerIsShown_data();
    void exceptionInHandlerIsShown();
    void titleFromPath_data();
    void titleFromPath();
    void closingEndsTheProgram();
};

void tst_MainWindow::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");  // labels size themselves: only the corner is fixed
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("fontHeight");
    const auto row = [](const char *name, int l, int t, int w, int h, const char *text, int font) {
        QTest::newRow(name) << QString::fromLatin1(name) << QRect(l, t, w, h) << QString::fromUtf8(text) << font;
    };
    row("Button1", 96, 24, 75, 25, "おわり", 12);
    row("Button3", 240, 24, 75, 25, "ダイアログ", 12);
    row("Label2", 32, 112, 52, 27, "あか", 27);
    row("Label4", 16, 168, 71, 27, "みどり", 27);
    row("Label3", 32, 224, 51, 27, "あお", 27);
    row("Panel2", 96, 104, 81, 41, "", 12);
    row("Panel3", 96, 160, 81, 41, "", 12);
    row("Panel4", 96, 216, 81, 41, "", 12);
    row("ScrollBar1", 184, 104, 161, 41, "", 12);
    row("ScrollBar2", 184, 160, 161, 41, "", 12);
    row("ScrollBar3", 184, 216, 161, 41, "", 12);
    row("lblR", 360, 112, 10, 19, "0", 19);
    row("lblG", 360, 176, 10, 19, "0", 19);
    row("lblB", 360, 232, 10, 19, "0", 19);
    row("Label10", 24, 280, 57, 19, "全色数", 19);
    row("lblTen", 200, 280, 10, 19, "0", 19);
    row("Label8", 24, 312, 58, 19, "16進数", 19);
    row("lblRGB", 200, 312, 10, 19, "0", 19);
    row("Label11", 24, 344, 144, 19, "16進数（HTML色）", 19);
    row("Edit2", 184, 344, 169, 27, "", 19);
    row("Label1", 24, 376, 121, 19, "HTMLネーム色", 19);
    row("Edit1", 184, 376, 169, 27, "", 19);
    row("ListBox1", 184, 416, 169, 97, "", 16);
    row("Panel1", 416, 24, 353, 337, "", 12);
}

void tst_MainWindow::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(int, fontHeight);
    const auto form = showForm();
    auto *control = form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), form->widget());
    QCOMPARE(control->pos(), geometry.topLeft());
    if (auto *label = qobject_cast<TLabel *>(control)) {
        QCOMPARE(label->text(), text);
        // Sized to the text: nothing of it is clipped.
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        QVERIFY(label->height() >= label->fontMetrics().height());
    } else {
        QCOMPARE(control->size(), geometry.size());
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            QCOMPARE(button->text(), text);
    }
    QCOMPARE(control->font().pixelSize(), fontHeight);
    const QFontInfo font(control->font());
    // IPA's proportional Gothic by either of its names.
    QVERIFY2(font.family() == QStringLiteral("ＭＳ Ｐゴシック") || font.family() == QStringLiteral("IPAPGothic")
                 || font.family() == QStringLiteral("IPA Pゴシック"),
             qPrintable(font.family()));
    QVERIFY(!font.bold() && !font.italic());
}

void tst_MainWindow::windowDesign()
{
    const auto form = showForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Tintaro"));
    // The window's font stays the window's: the chooser, menus, tooltips and
    // message boxes keep the application's.
    QVERIFY(QApplication::font() != form->font());
    QCOMPARE(form->frameGeometry(), QRect(123, 95, 811, 565));  // no frame here: client = outer
    const Qt::WindowFlags flags = form->windowHandle()->flags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form->maximumSize().width() > 811);  // sizeable
    const QImage image = form->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    QCOMPARE(image.pixelColor(int(400 * ratio), int(540 * ratio)), form->palette().color(QPalette::Button));
    QCOMPARE(form.ListBox1->count(), 147);
    for (int row = 0; row < NamedColorCount; ++row)
        QCOMPARE(form.ListBox1->text(row).toStdString(), std::string(NameOfRow(row)));
}

void tst_MainWindow::startState()
{
    const TTestForm hidden(false);
    QCOMPARE(hidden.Panel1->color(), clBtnFace);  // before the shown notification
    // The button face, not the window or any other role: a palette where
    // they all differ.
    const QPalette desktop = QApplication::palette();
    QPalette distinct = desktop;
    distinct.setColor(QPalette::Button, QColor(1, 2, 3));
    distinct.setColor(QPalette::Window, QColor(4, 5, 6));
    distinct.setColor(QPalette::Base, QColor(7, 8, 9));
    QApplication::setPalette(distinct);
    QCOMPARE(ColorToRGB(clBtnFace), MakeColor(1, 2, 3));
    QApplication::setPalette(desktop);

    const auto form = showForm();
    const TShown shown = TShown::of(form);
    QCOMPARE(shown.sliders, QList<int>({0, 0, 0}));
    QCOMPARE(shown.values, QStringList({"0", "0", "0"}));
    QCOMPARE(shown.ten, QStringLiteral("0"));
    QCOMPARE(shown.rgb, QStringLiteral("0"));  // the designed text until the first change
    QVERIFY(shown.html.isEmpty());
    QVERIFY(shown.name.isEmpty());
    for (TPanel *panel : {form.Panel1, form.Panel2, form.Panel3, form.Panel4}) {
        QCOMPARE(panel->color(), 0);
        QCOMPARE(pixelAtCentre(panel), QColor(Qt::black));
    }
    QCOMPARE(form.ListBox1->itemIndex(), -1);
}

void tst_MainWindow::focusAtStartAndTabOrder()
{
    const auto form = showForm();
    QCOMPARE(QApplication::focusWidget(), form.ScrollBar1);
    QTest::keyClick(form->windowHandle(), Qt::Key_Right);
    QCOMPARE(form.ScrollBar1->position(), 1);
    QCOMPARE(form.lblR->text(), QStringLiteral("1"));

    // A focused button is pressed by Space, Return and Enter alike.
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        QSignalSpy pressed(form.Button3, &QAbstractButton::clicked);
        QTimer closer;  // closes the chooser that the press opens
        closer.callOnTimeout([] {
            if (QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
        });
        closer.start(10);
        form.Button3->setFocus();
        QTest::keyClick(form->windowHandle(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_COMPARE(pressed.count(), 1);
    }
    form.ScrollBar1->setFocus();

    const QList<QWidget *> expected = {form.ScrollBar2, form.ScrollBar3, form.Button1, form.Button3,
                                       form.Edit1, form.ListBox1, form.Edit2, form.ScrollBar1};
    for (QWidget *next : expected) {
        QTest::keyClick(form->windowHandle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_MainWindow::sliderKeys_data()
{
    QTest::addColumn<QString>("style");  // "": the desktop's own
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    const auto row = [](const char *name, const char *style, Qt::Key key, int from, int to,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::newRow(name) << QString::fromLatin1(style) << int(key) << int(modifiers) << from << to;
    };
    row("Left", "", Qt::Key_Left, 100, 99);
    row("Up", "", Qt::Key_Up, 100, 99);
    row("Page Up", "", Qt::Key_PageUp, 100, 99);
    row("Right", "", Qt::Key_Right, 100, 101);
    row("Down", "", Qt::Key_Down, 100, 101);
    row("Page Down", "", Qt::Key_PageDown, 100, 101);
    row("Home", "", Qt::Key_Home, 100, 0);
    row("End", "", Qt::Key_End, 100, 255);
    row("Left at 0 is clamped", "", Qt::Key_Left, 0, 0);
    row("Page Down at 255 is clamped", "", Qt::Key_PageDown, 255, 255);
    row("Ctrl+Right does nothing", "", Qt::Key_Right, 100, 100, Qt::ControlModifier);
    row("Alt+Left does nothing", "", Qt::Key_Left, 100, 100, Qt::AltModifier);
    row("Meta+End does nothing", "", Qt::Key_End, 100, 100, Qt::MetaModifier);
    row("Page Up under Windows", "Windows", Qt::Key_PageUp, 100, 99);
    row("Right under Windows", "Windows", Qt::Key_Right, 100, 101);
    row("Home under Fusion", "Fusion", Qt::Key_Home, 100, 0);
}

void tst_MainWindow::sliderKeys()
{
    QFETCH(QString, style);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, from);
    QFETCH(int, to);
    const TStyleFor styled(style);
    const auto form = showForm();
    for (TScrollBar *bar : {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3}) {
        bar->setPosition(from);
        bar->setFocus();
        QSignalSpy changes(bar, &TScrollBar::changed);
        QTest::keyClick(form->windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(bar->position(), to);
        QCOMPARE(changes.count(), from == to ? 0 : 1);
    }
    QCOMPARE(form.lblB->text(), QString::number(to));
}

void tst_MainWindow::positionClampsAndNotifiesOnlyOnChange()
{
    const auto form = showForm();
    TScrollBar *bar = form.ScrollBar2;
    QList<int> seen;  // the position as the change handler sees it
    connect(bar, &TScrollBar::changed, bar, [&] { seen << bar->position(); });
    bar->setPosition(300);
    bar->setPosition(255);
    bar->setPosition(-5);
    bar->setPosition(0);
    bar->setPosition(7);
    QCOMPARE(seen, QList<int>({255, 0, 7}));
    QCOMPARE(form.lblG->text(), QStringLiteral("7"));  // the handler ran before the setter returned
}

void tst_MainWindow::valueSetByAssistiveTechnology_data()
{
    // What an assistive technology may send: the nearest whole position,
    // the nearer end beyond the range, nothing for what names no number.
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("to");
    QTest::newRow("254.6 rounds up") << QVariant(254.6) << 255;
    QTest::newRow("254.4 rounds down") << QVariant(254.4) << 254;
    QTest::newRow("0.4 rounds down to 0") << QVariant(0.4) << 0;
    QTest::newRow("-0.6 clamps to 0") << QVariant(-0.6) << 0;
    QTest::newRow("1e300 clamps to 255") << QVariant(1e300) << 255;
    QTest::newRow("-infinity clamps to 0") << QVariant(-std::numeric_limits<double>::infinity()) << 0;
    QTest::newRow("NaN changes nothing") << QVariant(std::numeric_limits<double>::quiet_NaN()) << 100;
    QTest::newRow("a text that is no number changes nothing") << QVariant(QStringLiteral("abc")) << 100;
}

void tst_MainWindow::valueSetByAssistiveTechnology()
{
    QFETCH(QVariant, value);
    QFETCH(int, to);
    const auto form = showForm();
    form.ScrollBar2->setPosition(100);
    QAccessibleValueInterface *slider = QAccessible::queryAccessibleInterface(form.ScrollBar2)->valueInterface();
    QVERIFY(slider);
    slider->setCurrentValue(value);
    QCOMPARE(form.ScrollBar2->position(), to);
    QCOMPARE(slider->currentValue().toInt(), to);
    QCOMPARE(form.lblG->text(), QString::number(to));
}

void tst_MainWindow::troughClicksAndDrag_data()
{
    QTest::addColumn<QString>("style");
    QTest::newRow("the desktop's own") << QString();
    QTest::newRow("Fusion") << QStringLiteral("Fusion");
    QTest::newRow("Windows") << QStringLiteral("Windows");
}

void tst_MainWindow::troughClicksAndDrag()
{
    QFETCH(QString, style);
    const TStyleFor styled(style);
    const auto form = showForm();
    TScrollBar *bar = form.ScrollBar1;
    const QRect thumbAtStart = subControlRect(bar, QStyle::SC_ScrollBarSlider);
    QVERIFY(thumbAtStart.isValid());

    // A click in the trough on either side of the thumb moves by one.
    const QPoint rightOfThumb(bar->width() * 3 / 4, bar->height() / 2);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rightOfThumb);
    QCOMPARE(bar->position(), 1);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rightOfThumb);
    QCOMPARE(bar->position(), 2);
    bar->setPosition(255);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 4, bar->height() / 2));
    QCOMPARE(bar->position(), 254);
    // A middle click does not jump to the pointer, as some styles would.
    bar->setPosition(0);
    QTest::mouseClick(bar, Qt::MiddleButton, Qt::NoModifier, rightOfThumb);
    QCOMPARE(bar->position(), 0);
    QCOMPARE(subControlRect(bar, QStyle::SC_ScrollBarSlider).size(), thumbAtStart.size());  // fixed thumb

    // Dragging the thumb notifies once for each new position.
    bar->setPosition(0);
    QList<int> seen;
    connect(bar, &TScrollBar::changed, bar, [&] { seen << bar->position(); });
    QPoint at = subControlRect(bar, QStyle::SC_ScrollBarSlider).center();
    sendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    for (int step = 0; step < 40; ++step) {
        at.rx() += 2;
        sendMouse(bar, QEvent::MouseMove, at, Qt::LeftButton);
    }
    sendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    QVERIFY(seen.size() > 10);
    for (qsizetype i = 1; i < seen.size(); ++i)
        QVERIFY(seen[i] > seen[i - 1]);
    QCOMPARE(seen.last(), bar->position());
    QCOMPARE(form.lblR->text(), QString::number(bar->position()));
}

void tst_MainWindow::mixing_data()
{
    // Keys go to the sliders in turn, red first; "" leaves a slider alone.
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<TShown>("expected");
    QTest::newRow("red to 255") << QStringList{"End", "", ""} << TShown::settled(255, 0, 0, "red");
    QTest::newRow("green and blue: cyan, not aqua") << QStringList{"", "End", "End"}
                                                   << TShown::settled(0, 255, 255, "cyan");
    QTest::newRow("red and blue: magenta, not fuchsia") << QStringList{"End", "", "End"}
                                                       << TShown::settled(255, 0, 255, "magenta");
    QTest::newRow("red 1 has no name") << QStringList{"Right", "", ""} << TShown::settled(1, 0, 0, "");
    QTest::newRow("white") << QStringList{"End", "End", "End"} << TShown::settled(255, 255, 255, "white");
    QTest::newRow("back to black") << QStringList{"End,Home", "Right,Left", ""} << TShown::settled(0, 0, 0, "black");
    QTest::newRow("a step from red") << QStringList{"End", "Right", ""} << TShown::settled(255, 1, 0, "");
}

void tst_MainWindow::mixing()
{
    QFETCH(QStringList, keys);
    QFETCH(TShown, expected);
    const auto form = showForm();
    const QList<TScrollBar *> bars = {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3};
    for (int i = 0; i < 3; ++i) {
        if (keys[i].isEmpty())
            continue;
        QTest::keyClick(form->windowHandle(), Qt::Key_Tab);
        while (QApplication::focusWidget() != bars[i])
            QTest::keyClick(form->windowHandle(), Qt::Key_Tab);
        for (const QString &key : keys[i].split(QLatin1Char(',')))
            QTest::keySequence(form->windowHandle(), QKeySequence::fromString(key));
    }
    QCOMPARE(TShown::of(form), expected);
    QCOMPARE(pixelAtCentre(form.Panel1), QColor(GetRValue(expected.panel1), GetGValue(expected.panel1),
                                                GetBValue(expected.panel1)));
    QCOMPARE(pixelAtCentre(form.Panel3), QColor(0, expected.sliders[1], 0));
}

void tst_MainWindow::typedTextIsReplaced()
{
    const auto form = showForm();
    QTest::keyClicks(form.Edit1, "my name");
    QTest::keyClicks(form.Edit2, "#123456");
    QCOMPARE(form.Edit1->text(), QStringLiteral("my name"));
    QCOMPARE(form.ScrollBar1->position(), 0);  // typing has no effect of its own
    form.ScrollBar3->setPosition(255);
    QCOMPARE(TShown::of(form), TShown::settled(0, 0, 255, "blue"));
}

void tst_MainWindow::readoutsCanBeSelectedAndCopied()
{
    const auto form = showForm();
    form.ScrollBar3->setPosition(255);
    QCoreApplication::processEvents();  // the labels take their new size
    for (TLabel *readout : {form.lblTen, form.lblRGB}) {
        // A drag across the text selects it all; Ctrl+C copies it.
        const QPoint from(1, readout->height() / 2);
        const QPoint to(readout->width() - 1, readout->height() / 2);
        sendMouse(readout, QEvent::MouseButtonPress, from, Qt::LeftButton);
        sendMouse(readout, QEvent::MouseMove, to, Qt::LeftButton);
        sendMouse(readout, QEvent::MouseButtonRelease, to, Qt::NoButton);
        QCOMPARE(readout->selectedText(), readout->text());
        QTest::keyClick(readout, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), readout->text());
        // A right click offers copy and select-all, in Qt's Japanese words.
        QGuiApplication::clipboard()->clear();
        QContextMenuEvent request(QContextMenuEvent::Mouse, from, readout->mapToGlobal(from));
        QApplication::sendEvent(readout, &request);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QStringList items;
        for (const QAction *action : menu->actions())
            items << action->text();
        QCOMPARE(items, QStringList({"コピー(&C)", "", "すべてを選択"}));
        QCOMPARE(QFontInfo(menu->font()).family(), QFontInfo(form->font()).family());
        menu->actions().first()->trigger();
        menu->close();
        QCOMPARE(QGuiApplication::clipboard()->text(), readout->text());
    }
    // The next change replaces the text, and the selection with it.
    form.ScrollBar1->setPosition(1);
    QCOMPARE(form.lblTen->text(), QStringLiteral("16711681"));
    QVERIFY(!form.lblTen->hasSelectedText());
    QVERIFY(!form.lblR->hasSelectedText());
    QCOMPARE(form.lblR->textInteractionFlags(), Qt::NoTextInteraction);  // value labels are plain
}

void tst_MainWindow::swatchesDescribeTheirColour_data()
{
    // Contrast by the WCAG 2 formula and distances by CIEDE2000, worked out
    // apart from the program; APCA Lc from colorjs.io, and the nearest
    // passing colours by a search over OKLCH lightness written with
    // colorjs.io's gamut mapping; protanopia and deuteranopia from
    // colorspacious (sRGB1+CVD at severity 100), tritanopia from
    // tests/colour/tritan_expected.py.
    QTest::addColumn<QList<int>>("sliders");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("description");
    const QString pass = QStringLiteral("（AA 合格、AAA 合格、大きな文字 AA 合格、AAA 合格）");
    const QString fail = QStringLiteral("（AA 不合格、AAA 不合格、大きな文字 AA 不合格、AAA 不合格）");
    const QString largeOnly = QStringLiteral("（AA 不合格、AAA 不合格、大きな文字 AA 合格、AAA 不合格）");
    QTest::newRow("black at start") << QList<int>{0, 0, 0} << "Panel1"
                                    << "#000000 black · 白 21.00:1" + pass + " · 黒 1.00:1" + fail
            + " · WCAG 3 草案の APCA Lc 白 -107.9、黒 0.0 · 黒の文字で AA を満たす近い色 #757575"
              " · 見え方 1型2色覚（P型） #000000、2型2色覚（D型） #000000、3型2色覚（T型） #000000";
    QTest::newRow("gold, named") << QList<int>{255, 215, 0} << "Panel1"
                                 << "#FFD700 gold · 白 1.40:1" + fail + " · 黒 14.97:1" + pass
            + " · WCAG 3 草案の APCA Lc 白 -21.9、黒 84.5 · 白の文字で AA を満たす近い色 #8F7400"
              " · 見え方 1型2色覚（P型） #F0D300、2型2色覚（D型） #FADF24、3型2色覚（T型） #FFC9D0";
    QTest::newRow("near gold") << QList<int>{255, 200, 0} << "Panel1"
                               << "#FFC800 · 近い色 gold (ΔE 5.0) · 白 1.55:1" + fail + " · 黒 13.51:1" + pass
            + " · WCAG 3 草案の APCA Lc 白 -28.5、黒 78.6 · 白の文字で AA を満たす近い色 #977000"
              " · 見え方 1型2色覚（P型） #E2C700、2型2色覚（D型） #EFD51E、3型2色覚（T型） #FFBAC3";
    QTest::newRow("dark, near midnightblue") << QList<int>{0x12, 0x34, 0x56} << "Panel1"
                                             << "#123456 · 近い色 midnightblue (ΔE 11.8) · 白 12.71:1" + pass
            + " · 黒 1.65:1" + fail + " · WCAG 3 草案の APCA Lc 白 -101.9、黒 0.0 · 黒の文字で AA を満たす近い色 #54779D"
              " · 見え方 1型2色覚（P型） #243657、2型2色覚（D型） #1A3055、3型2色覚（T型） #003845";
    QTest::newRow("red component, named: 3.99 is no 4.0") << QList<int>{255, 215, 0} << "Panel2"
                                          << "#FF0000 red · 白 3.99:1" + largeOnly
            + " · 黒 5.25:1（AA 合格、AAA 不合格、大きな文字 AA 合格、AAA 合格） · WCAG 3 草案の APCA Lc 白 -69.6、黒 40.0"
              " · 白の文字で AA を満たす近い色 #EE0000"
              " · 見え方 1型2色覚（P型） #6D5F00、2型2色覚（D型） #A39000、3型2色覚（T型） #FF004E";
    QTest::newRow("green component, near limegreen") << QList<int>{255, 215, 0} << "Panel3"
                                                     << "#00D700 · 近い色 limegreen (ΔE 3.4) · 白 1.95:1" + fail
            + " · 黒 10.72:1" + pass + " · WCAG 3 草案の APCA Lc 白 -41.0、黒 67.2 · 白の文字で AA を満たす近い色 #008A00"
              " · 見え方 1型2色覚（P型） #DCC100、2型2色覚（D型） #C9B430、3型2色覚（T型） #67C5E4";
    QTest::newRow("gray: 3.94 with white") << QList<int>{128, 128, 128} << "Panel1"
                                           << "#808080 gray · 白 3.94:1" + largeOnly
            + " · 黒 5.31:1（AA 合格、AAA 不合格、大きな文字 AA 合格、AAA 合格） · WCAG 3 草案の APCA Lc 白 -72.4、黒 37.2"
              " · 白の文字で AA を満たす近い色 #767676"
              " · 見え方 1型2色覚（P型） #808080、2型2色覚（D型） #808080、3型2色覚（T型） #808080";
}

void tst_MainWindow::swatchesDescribeTheirColour()
{
    QFETCH(QList<int>, sliders);
    QFETCH(QString, panel);
    QFETCH(QString, description);
    const auto form = showForm();
    const QList<TScrollBar *> bars = {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3};
    for (int i = 0; i < 3; ++i)
        bars[i]->setPosition(sliders[i]);
    auto *swatch = form->findChild<TPanel *>(panel);
    QVERIFY(swatch);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(swatch);
    QCOMPARE(accessible->role(), QAccessible::Graphic);
    QCOMPARE(QAccessible::queryAccessibleInterface(form.Panel1)->text(QAccessible::Name), QStringLiteral("混ぜた色"));
    QCOMPARE(accessible->text(QAccessible::Description), description);

    // The tooltip, where the pointer rests.
    const QPoint at = swatch->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, swatch->mapToGlobal(at));
    QApplication::sendEvent(swatch, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), description);
    QToolTip::hideText();

    const TTestForm hidden(false);  // before the shown notification: the button face, resolved
    QVERIFY(QAccessible::queryAccessibleInterface(hidden->findChild<TPanel *>(panel))
                ->text(QAccessible::Description)
                .startsWith(QString::fromStdString(ColorToHtml(ColorToRGB(clBtnFace))) + QLatin1Char(' ')));
}

void tst_MainWindow::copyMenusShowWhatTheyCopy_data()
{
    // A swatch is right-clicked; any other control is given Shift+F10. The
    // CSS Color 4 forms are given by their function, the rest in full: hsl()
    // by hand (#808080 is 50.196 %, and 50 % lies on a rounding tie), the
    // passing colours as in swatchesDescribeTheirColour; navy is 25.098 %
    // lightness, where 25 % would make blue the tie 127.5.
    QTest::addColumn<QString>("control");
    QTest::addColumn<QList<int>>("sliders");
    QTest::addColumn<QStringList>("copied");
    const QStringList css4 = {"hwb(", "lab(", "lch(", "oklab(", "oklch("};
    QTest::newRow("the mix") << "Panel1" << QList<int>{255, 200, 0}
                             << QStringList{"#FFC800", "FFC800", "rgb(255, 200, 0)", "hsl(47, 100%, 50%)", "51455",
                                            "$0000C8FF"} + css4 + QStringList{"white:#977000"};
    QTest::newRow("a component, with its name") << "Panel2" << QList<int>{255, 200, 0}
                                                << QStringList{"#FF0000", "FF0000", "rgb(255, 0, 0)",
                                                               "hsl(0, 100%, 50%)", "255", "$000000FF", "red"}
            + css4 + QStringList{"white:#EE0000"};
    QTest::newRow("the mix from a slider by keys") << "ScrollBar2" << QList<int>{0, 0, 128}
                                                   << QStringList{"#000080", "000080", "rgb(0, 0, 128)",
                                                                  "hsl(240, 100%, 25.1%)", "8388608", "$00800000", "navy"}
            + css4 + QStringList{"black:#3B6EE4"};
    QTest::newRow("the mix from the list by keys") << "ListBox1" << QList<int>{128, 128, 128}
                                                   << QStringList{"#808080", "808080", "rgb(128, 128, 128)",
                                                                  "hsl(0, 0%, 50.2%)", "8421504", "$00808080", "gray"}
            + css4 + QStringList{"white:#767676"};
    // No item for a name that CSS does not know.
    QTest::newRow("brass has no CSS name") << "Panel1" << QList<int>{0xB5, 0xA6, 0x42}
                                           << QStringList{"#B5A642", "B5A642", "rgb(181, 166, 66)",
                                                          "hsl(", "4368053", "$0042A6B5"}
            + css4 + QStringList{"white:#867700"};
}

void tst_MainWindow::copyMenusShowWhatTheyCopy()
{
    QFETCH(QString, control);
    QFETCH(QList<int>, sliders);
    QFETCH(QStringList, copied);
    const auto form = showForm();
    const QList<TScrollBar *> bars = {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3};
    for (int i = 0; i < 3; ++i)
        bars[i]->setPosition(sliders[i]);
    auto *widget = form->findChild<QWidget *>(control);
    QVERIFY(widget);
    const bool named = !copied[6].startsWith(QLatin1String("hwb("));
    // Each form's key, whether or not the name is there.
    const QString accessKeys = named ? QStringLiteral("HXRLDVNBACOKPQ") : QStringLiteral("HXRLDVBACOKPQ");
    for (int i = 0; i < copied.size(); ++i) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QStringList items;
        QWidget *menuOf = nullptr;
        QFont menuFont;
        QTimer::singleShot(0, widget, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            menuOf = menu->parentWidget();
            menuFont = menu->font();
            QList<QAction *> actions;
            for (QAction *item : menu->actions()) {
                if (item->isSeparator())
                    continue;
                actions << item;
                items << item->text();
            }
            actions.value(i)->trigger();
            menu->close();
        });
        if (qobject_cast<TPanel *>(widget)) {
            const QPoint at = widget->rect().center();
            QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
            QApplication::sendEvent(widget, &click);
        } else {
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_F10, Qt::ShiftModifier);
        }
        QCOMPARE(menuOf, qobject_cast<TPanel *>(widget) ? widget : form.Panel1);
        QCOMPARE(items.size(), copied.size());
        const QString clipboard = QGuiApplication::clipboard()->text();
        QString key = QString(accessKeys[i]);
        if (copied[i].endsWith(QLatin1Char('('))) {
            QVERIFY2(clipboard.startsWith(copied[i]) && clipboard.endsWith(QLatin1Char(')')), qPrintable(clipboard));
            QCOMPARE(items[i], clipboard + QStringLiteral("をコピー(&") + key + QLatin1Char(')'));
        } else if (copied[i].startsWith(QLatin1String("white:")) || copied[i].startsWith(QLatin1String("black:"))) {
            const QStringList passing = copied[i].split(QLatin1Char(':')).mid(1) + copied[i].split(QLatin1Char(':')).mid(0, 1);
            const bool white = passing[1] == QLatin1String("white");
            key = QString(accessKeys[accessKeys.size() - (white ? 2 : 1)]);
            QCOMPARE(clipboard, passing[0]);
            QCOMPARE(items[i], passing[0] + QStringLiteral("をコピー（%1の文字で AA を満たす近い色）(&")
                                   .arg(white ? QStringLiteral("白") : QStringLiteral("黒"))
                         + key + QLatin1Char(')'));
        } else {
            QCOMPARE(clipboard, copied[i]);
            QCOMPARE(items[i], copied[i] + QStringLiteral("をコピー(&") + key + QLatin1Char(')'));
        }
        // The window's font for the whole item, so its digits and its
        // Japanese come from one face.
        QCOMPARE(QFontInfo(menuFont).family(), QFontInfo(form->font()).family());
        QCOMPARE(QFontInfo(menuFont).pixelSize(), QFontInfo(form->font()).pixelSize());
    }
}

void tst_MainWindow::ctrlCCopiesTheMixInAControlAddedLater()
{
    // An edit box without a selection, which would take Ctrl+C itself, added
    // after the window was built, in a box of its own.
    const auto form = showForm();
    form.ScrollBar1->setPosition(255);
    auto *box = new QWidget(form.Panel1->parentWidget());
    auto *edit = new QLineEdit(QStringLiteral("typed"), box);
    box->show();
    edit->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("#FF0000"));
    // With a selection the box copies its own text.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("typed"));
    // A window of its own, as the chooser is, keeps its keys.
    auto *other = new QWidget(form.get(), Qt::Window);
    auto *elsewhere = new QLineEdit(QStringLiteral("elsewhere"), other);
    other->show();
    QVERIFY(QTest::qWaitForWindowExposed(other));
    elsewhere->setFocus();
    QTest::keyClick(elsewhere, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("typed"));
}

void tst_MainWindow::scrollsWhenSmallerThanContents()
{
    const auto form = showForm();
    const QPoint panelAt = form.Panel1->mapTo(form.get(), QPoint());
    form->resize(1000, 700);
    QCoreApplication::processEvents();
    QVERIFY(!form->horizontalScrollBar()->isVisible() && !form->verticalScrollBar()->isVisible());
    QCOMPARE(form.Panel1->mapTo(form.get(), QPoint()), panelAt);
    QCOMPARE(form.Panel1->size(), QSize(353, 337));

    form->resize(768, 600);
    QCoreApplication::processEvents();
    QVERIFY(form->horizontalScrollBar()->isVisible());
    QVERIFY(!form->verticalScrollBar()->isVisible());
    form->resize(769, 513);
    QCoreApplication::processEvents();
    QVERIFY(!form->horizontalScrollBar()->isVisible() && !form->verticalScrollBar()->isVisible());
    form->resize(500, 300);
    QCoreApplication::processEvents();
    QVERIFY(form->horizontalScrollBar()->isVisible() && form->verticalScrollBar()->isVisible());
    form->horizontalScrollBar()->setValue(100);
    form->verticalScrollBar()->setValue(50);
    // Scrolling moves all controls together; none moves within the contents.
    QCOMPARE(form.Panel1->mapTo(form.get(), QPoint()), panelAt - QPoint(100, 50));
    QCOMPARE(form.Button1->mapTo(form.get(), QPoint()), QPoint(96 - 100, 24 - 50));
    QCOMPARE(form.Panel1->pos(), QPoint(416, 24));
}

void tst_MainWindow::exceptionInHandlerIsShown_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("throwAt");  // which change of Edit2's text fails
    QTest::addColumn<QList<int>>("sliders");  // where they stand after the box
    QTest::newRow("slider change") << "key" << 1 << QList<int>{0, 255, 0};
    QTest::newRow("list pick") << "pick" << 1 << QList<int>{0, 0, 0};
    // The pick stops where the red slider's handler failed: one box, green
    // and blue are not set.
    QTest::newRow("slider set inside a list pick") << "pick" << 2 << QList<int>{255, 0, 0};
    QTest::newRow("button press, the chooser confirmed") << "button" << 1 << QList<int>{0, 0, 0};
}

void tst_MainWindow::exceptionInHandlerIsShown()
{
    QFETCH(QString, input);
    QFETCH(int, throwAt);
    QFETCH(QList<int>, sliders);
    const auto form = showForm();
    QStringList boxes;  // caption, text, icon and buttons of each error box
    QTimer closer;
    closer.callOnTimeout([&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxes << QStringLiteral("%1|%2|%3|%4").arg(box->windowTitle(), box->text()).arg(int(box->icon()))
                         .arg(int(box->standardButtons()));
            QTest::keyClick(box, Qt::Key_Return);
        } else if (auto *chooser = qobject_cast<TColorChooser *>(modal)) {
            chooser->setColor(MakeColor(0, 0, 128));
            chooser->accept();
        }
    });
    closer.start(10);
    // A handler of Edit2's text fails inside the window's handler that sets
    // the text, run through the same guard as the window's handlers.
    int changesUntilThrow = throwAt;
    QObject failing;
    QObject::connect(form.Edit2, &QLineEdit::textChanged, &failing, [&] {
        RunHandler([&] {
            if (--changesUntilThrow == 0)
                HexToInt("zz");
        });
    });
    // The exception stops at the edge of the window's handler, so the slots
    // connected after it still run; one unwinding through Qt's signal code
    // would skip them.
    int laterSlots = 0;
    for (TScrollBar *bar : {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3})
        QObject::connect(bar, &TScrollBar::changed, &failing, [&] { ++laterSlots; });
    QObject::connect(form.ListBox1, &TListBox::clickRaised, &failing, [&] { ++laterSlots; });
    QObject::connect(form.Button3, &TButton::clicked, &failing, [&] { ++laterSlots; });
    if (input == QLatin1String("key")) {
        form.ScrollBar2->setFocus();
        QTest::keyClick(form->windowHandle(), Qt::Key_End);
    } else if (input == QLatin1String("pick")) {
        const int white = 143;
        form.ListBox1->scrollToRow(white);
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier,
                          form.ListBox1->rowRect(white).center());
    } else {
        QTest::mouseClick(form.Button3, Qt::LeftButton);
    }
    QObject::disconnect(form.Edit2, nullptr, &failing, nullptr);
    QVERIFY(laterSlots > 0);
    const QString expected = QStringLiteral("%1|変換できません.|%2|%3")
                                 .arg(static_cast<TApplication *>(qApp)->title())
                                 .arg(int(QMessageBox::Critical)).arg(int(QMessageBox::Ok));
    QCOMPARE(boxes, QStringList{expected});
    QCOMPARE(TShown::of(form).sliders, sliders);
    QVERIFY(!QApplication::activeModalWidget());

    // The program goes on: the next key is handled as ever.
    form.ScrollBar3->setPosition(0);
    form.ScrollBar1->setFocus();
    QTest::keyClick(form->windowHandle(), Qt::Key_Home);
    QTest::keyClick(form->windowHandle(), Qt::Key_End);
    form.ScrollBar2->setPosition(255);
    QCOMPARE(TShown::of(form), TShown::settled(255, 255, 0, "yellow"));
    QCOMPARE(boxes.size(), 1);

    QCOMPARE(TApplication::exceptionText(QStringLiteral("終わり.")), QStringLiteral("終わり."));
    QCOMPARE(TApplication::exceptionText(QStringLiteral("a-")), QStringLiteral("a-"));  // '-' sorts before '.'
    QCOMPARE(TApplication::exceptionText(QString()), QString());
}

void tst_MainWindow::titleFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("installed") << "/usr/bin/tintaro" << "tintaro";
    QTest::newRow("cut at the first dot") << "/opt/TINTARO.BIN.OLD" << "Tintaro";
    QTest::newRow("a dot in the folder") << "/home/a.b/Mixer.x" << "Mixer";
    QTest::newRow("no folder") << "Tintaro" << "Tintaro";
    QTest::newRow("non-ASCII") << "/x/ÉCOLE" << "École";
    const QString deep = QStringLiteral("/") + QString(300, QLatin1Char('d')) + QStringLiteral("/TinTaro.bin");
    QTest::newRow("longer than 255 characters") << deep << "Tintaro";
}

void tst_MainWindow::titleFromPath()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(TApplication::titleFromPath(path), title);
}

void tst_MainWindow::closingEndsTheProgram()
{
    // Run the real event loop: it must end, with status 0, when the main
    // window closes, by "おわり" or by the close box.
    QGuiApplication::setQuitOnLastWindowClosed(true);
    const auto runUntilClosed = [](const std::function<void(const TTestForm &)> &close) {
        const auto form = showForm();
        QTimer::singleShot(0, form.get(), [&] { close(form); });
        QTimer guard;  // never hang
        guard.callOnTimeout(qApp, [] { QCoreApplication::exit(1); });
        guard.start(5000);
        const int status = QApplication::exec();
        return std::make_pair(status, form->isVisible());
    };
    QCOMPARE(runUntilClosed([](const TTestForm &form) { QTest::mouseClick(form.Button1, Qt::LeftButton); }),
             std::make_pair(0, false));
    QCOMPARE(runUntilClosed([](const TTestForm &form) {
                 // The close box: the window system asks the window to close.
                 QCloseEvent close;
                 QApplication::sendEvent(form->windowHandle(), &close);
             }),
             std::make_pair(0, false));
}

TINTARO_TEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
