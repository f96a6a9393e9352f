// Copying from the real program in a real X window: each item of the
// swatches' copy menus, chosen by its access key, and Ctrl+C with and
// without a selection, each read back from the X clipboard by xclip.
#include "xsession.h"

#include <memory>

namespace {

constexpr int WindowLeft = 123;
constexpr int WindowTop = 95;

// Screen points of the designed controls (no window manager: no frame).
QString onScreen(int x, int y) { return QStringLiteral("%1 %2").arg(WindowLeft + x).arg(WindowTop + y); }
const QString Panel1Centre = onScreen(416 + 176, 24 + 168);
const QString Panel2Centre = onScreen(96 + 40, 104 + 20);
const QString Panel3Centre = onScreen(96 + 40, 160 + 20);
const QString Edit2Inside = onScreen(184 + 150, 344 + 13);
const QString LblRgbStart = onScreen(200 + 1, 312 + 9);
const QString LblRgbPastEnd = onScreen(200 + 160, 312 + 9);
const QString FirstNameRow = onScreen(184 + 80, 416 + 9);

// "mousemove X Y click 3" and the like, one xdotool run per line.
using TSteps = QStringList;

} // namespace

class tst_Clipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void copyMenus_data();
    void copyMenus();
    void ctrlC_data();
    void ctrlC();
    void pastedScriptPrintsNothing();
    void paletteThroughTheClipboard();

private:
    void putOnClipboard(const QByteArray &text);
    void xdotool(const QString &line) { m_x->xdotool(line.split(QLatin1Char(' '))); }
    QString clipboard() const
    {
        return m_x->run(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"});
    }
    int windowsShown() const
    {
        return int(m_x->xdotool({"search", "--onlyvisible", "--class", "tintaro"}).count(QLatin1Char('\n'))) + 1;
    }

    std::unique_ptr<TXSession> m_x;
    QProcess m_program;
};

void tst_Clipboard::initTestCase()
{
    m_x = std::make_unique<TXSession>();
    QVERIFY2(m_x->isReady(), "Xvfb or the session bus did not start");
    m_program.setProcessEnvironment(m_x->environment());
    m_program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(m_program.waitForStarted(5000));
    const QString window = m_x->xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    m_x->xdotool({"windowfocus", "--sync", window});
    // Red 255 and green 200: #FFC800, a mix with no name. The green slider
    // keeps the focus.
    xdotool(QStringLiteral("key End Tab End"));
    xdotool(QStringLiteral("key --repeat 55 Left"));
    QTRY_COMPARE(m_x->screenshot().pixelColor(WindowLeft + 416 + 176, WindowTop + 24 + 168), QColor(255, 200, 0));
}

void tst_Clipboard::cleanupTestCase()
{
    stop(m_program);
    m_x.reset();
}

void tst_Clipboard::init()
{
    // Something else on the clipboard before each case; xclip keeps it
    // until the program takes the clipboard over.
    QProcess xclip;
    xclip.setProcessEnvironment(m_x->environment());
    xclip.setStandardOutputFile(QProcess::nullDevice());
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"});
    xclip.write("nothing yet");
    xclip.closeWriteChannel();
    QVERIFY(xclip.waitForFinished(5000));
    QTRY_COMPARE(clipboard(), QStringLiteral("nothing yet"));
}

void tst_Clipboard::copyMenus_data()
{
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("accessKey");
    QTest::addColumn<QString>("copied");
    const QString mixMenu = QStringLiteral("mousemove %1 click 3").arg(Panel1Centre);
    QTest::newRow("#RRGGBB") << mixMenu << "h" << "#FFC800";
    QTest::newRow("hexadecimal digits") << mixMenu << "x" << "FFC800";
    QTest::newRow("rgb()") << mixMenu << "r" << "rgb(255, 200, 0)";
    QTest::newRow("hsl()") << mixMenu << "l" << "hsl(47, 100%, 50%)";
    QTest::newRow("decimal") << mixMenu << "d" << "51455";
    QTest::newRow("colour value") << mixMenu << "v" << "$0000C8FF";
    QTest::newRow("the red component's name") << QStringLiteral("mousemove %1 click 3").arg(Panel2Centre) << "n"
                                              << "red";
    QTest::newRow("the green component's rgb()") << QStringLiteral("mousemove %1 click 3").arg(Panel3Centre) << "r"
                                                 << "rgb(0, 200, 0)";
    QTest::newRow("the mix by the Menu key on a slider") << "key Menu" << "x" << "FFC800";
    QTest::newRow("the mix by Shift+F10 on a slider") << "key shift+F10" << "d" << "51455";
}

void tst_Clipboard::copyMenus()
{
    QFETCH(QString, open);
    QFETCH(QString, accessKey);
    QFETCH(QString, copied);
    xdotool(open);
    QTRY_COMPARE(windowsShown(), 2);  // the menu is up
    xdotool(QStringLiteral("key ") + accessKey);
    QTRY_COMPARE(windowsShown(), 1);
    QTRY_COMPARE(clipboard(), copied);
}

void tst_Clipboard::ctrlC_data()
{
    QTest::addColumn<TSteps>("before");
    QTest::addColumn<QString>("copied");
    QTest::newRow("a slider: the mix") << TSteps{} << "#FFC800";
    QTest::newRow("part of an edit box selected") << TSteps{QStringLiteral("mousemove %1 click 1").arg(Edit2Inside),
                                                            "key End shift+Left shift+Left shift+Left"}
                                                  << "800";
    QTest::newRow("an edit box with nothing selected: the mix")
        << TSteps{QStringLiteral("mousemove %1 click 1").arg(Edit2Inside), "key End"} << "#FFC800";
    QTest::newRow("a read-out selected with the mouse")
        << TSteps{QStringLiteral("mousemove %1 mousedown 1").arg(LblRgbStart),
                  QStringLiteral("mousemove %1").arg(LblRgbPastEnd), "mouseup 1"}
        << "$0000C8FF";
    // Last: the click picks the row's colour, and the list would copy its
    // row's name.
    QTest::newRow("the name list: the mix, not the name")
        << TSteps{QStringLiteral("mousemove %1 click 1").arg(FirstNameRow)} << "#F0F8FF";
}

void tst_Clipboard::ctrlC()
{
    QFETCH(TSteps, before);
    QFETCH(QString, copied);
    for (const QString &step : before)
        xdotool(step);
    xdotool(QStringLiteral("key ctrl+c"));
    QTRY_COMPARE(clipboard(), copied);
}

// Digits of a script that no font of the window covers, pasted into an edit
// box: Qt's notes on the fonts it tried are no business of the user's.
void tst_Clipboard::pastedScriptPrintsNothing()
{
    const QString devanagari = QStringLiteral("१२३४५६७८९०");
    QProcess xclip;
    xclip.setProcessEnvironment(m_x->environment());
    xclip.setStandardOutputFile(QProcess::nullDevice());
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"});
    xclip.write(devanagari.toUtf8());
    xclip.closeWriteChannel();
    QVERIFY(xclip.waitForFinished(5000));
    QTRY_COMPARE(clipboard(), devanagari);
    xdotool(QStringLiteral("mousemove %1 click 1").arg(Edit2Inside));
    xdotool(QStringLiteral("key ctrl+a ctrl+v"));
    // Copied back from the box: the digits were pasted and drawn.
    xdotool(QStringLiteral("key ctrl+a ctrl+c"));
    QTRY_COMPARE(clipboard(), devanagari);
    QTest::qWait(500);  // a paint after the paste
    QCOMPARE(QString::fromLocal8Bit(m_program.readAllStandardError()), QString());
}

void tst_Clipboard::putOnClipboard(const QByteArray &text)
{
    QProcess xclip;
    xclip.setProcessEnvironment(m_x->environment());
    xclip.setStandardOutputFile(QProcess::nullDevice());
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"});
    xclip.write(text);
    xclip.closeWriteChannel();
    QVERIFY(xclip.waitForFinished(5000));
}

// A style sheet put on the X clipboard by another program, pasted into the
// chooser's custom colours, and the custom colours copied back out as a
// list: both ways through the real clipboard, by the keys alone.
void tst_Clipboard::paletteThroughTheClipboard()
{
    putOnClipboard(":root {\n  --brand: #0055FF; /* was #123456 */\n  --accent: rebeccapurple;\n}\n"
                   ".note { color: hsl(120deg 100% 25%); }\n");
    xdotool(QStringLiteral("mousemove %1 click 1").arg(onScreen(277, 36)));  // "ダイアログ"
    const QString chooser =
        m_x->xdotool({"search", "--sync", "--onlyvisible", "--name", "^色の設定$"}).section('\n', 0, 0);
    QVERIFY(!chooser.isEmpty());
    QTRY_COMPARE(windowsShown(), 2);
    // Without a window manager the focus is given by hand, once the chooser
    // has taken its place.
    QTest::qWait(500);
    m_x->xdotool({"windowfocus", "--sync", chooser});
    QTRY_COMPARE(m_x->xdotool({"getwindowfocus"}), chooser);
    xdotool(QStringLiteral("key alt+o"));
    QTRY_COMPARE(windowsShown(), 3);  // the window, the chooser, the menu
    xdotool(QStringLiteral("key p"));
    QTRY_COMPARE(windowsShown(), 2);
    // The menu again, once the button's access key has played its click
    // out: the custom colours, as a list.
    QTest::qWait(300);
    xdotool(QStringLiteral("key alt+o"));
    QTRY_COMPARE(windowsShown(), 3);
    xdotool(QStringLiteral("key c"));
    QTRY_COMPARE(windowsShown(), 4);  // its submenu
    xdotool(QStringLiteral("key l"));
    QTRY_COMPARE(clipboard(), QStringLiteral("#0055FF\n#663399\n#008000"));

    // Twenty megabytes, handed over in pieces: the first sixteen are read,
    // the colour after them is not, and the owner keeps its clipboard.
    putOnClipboard("#ABCDEF\n" + QByteArray(20 * 1024 * 1024, 'x') + "\n#FEDCBA\n");
    QTest::qWait(300);
    xdotool(QStringLiteral("key alt+o"));
    QTRY_COMPARE(windowsShown(), 3);
    xdotool(QStringLiteral("key p"));
    QTRY_COMPARE(windowsShown(), 2);
    // Once the paste has read its part (the reader gives up on a silent
    // owner after two seconds), xclip still holds the whole text.
    QTest::qWait(2500);
    QVERIFY(m_x->run(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"}, 30000).endsWith("x\n#FEDCBA"));
    xdotool(QStringLiteral("key alt+o"));
    QTRY_COMPARE(windowsShown(), 3);
    xdotool(QStringLiteral("key c"));
    QTRY_COMPARE(windowsShown(), 4);
    xdotool(QStringLiteral("key l"));
    QTRY_COMPARE(clipboard(), QStringLiteral("#ABCDEF\n#663399\n#008000"));
    xdotool(QStringLiteral("key Escape"));
    QTRY_COMPARE(windowsShown(), 1);
}

QTEST_GUILESS_MAIN(tst_Clipboard)
#include "tst_clipboard.moc"
