// The real program in a real X window: where the window stands, what the
// swatches show on screen after keys and clicks, the chooser, a clean exit
// with nothing printed, and no settings file left behind.
#include "xsession.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int WindowLeft = 123;
constexpr int WindowTop = 95;

// Screen points of the designed controls (no window manager: no frame).
QPoint onScreen(int x, int y) { return {WindowLeft + x, WindowTop + y}; }
const QPoint Panel1Centre = onScreen(416 + 176, 24 + 168);
const QPoint Panel2Centre = onScreen(96 + 40, 104 + 20);
const QPoint Panel3Centre = onScreen(96 + 40, 160 + 20);
const QPoint Button1Centre = onScreen(96 + 37, 24 + 12);
const QPoint Button3Centre = onScreen(240 + 37, 24 + 12);

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class tst_Desktop : public QObject
{
    Q_OBJECT

private slots:
    void session();

private:
    void click(const TXSession &x, QPoint at)
    {
        x.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    QColor pixel(const TXSession &x, QPoint at) { return x.screenshot().pixelColor(at); }
};

void tst_Desktop::session()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");

    QProcess program;
    program.setProcessEnvironment(x.environment());
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    const QString geometry = x.xdotool({"getwindowgeometry", window});
    QVERIFY2(geometry.contains(QStringLiteral("Position: 123,95")), qPrintable(geometry));
    QVERIFY2(geometry.contains(QStringLiteral("Geometry: 811x565")), qPrintable(geometry));

    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(Qt::black));
    QCOMPARE(pixel(x, Panel2Centre), QColor(Qt::black));

    // The red slider has the focus: End mixes pure red.
    x.xdotool({"windowfocus", "--sync", window});
    x.xdotool({"key", "End"});
    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(255, 0, 0));
    QCOMPARE(pixel(x, Panel2Centre), QColor(255, 0, 0));

    // The chooser: green 128 typed, added to the custom colours, OK.
    click(x, Button3Centre);
    const QString chooser = x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    QVERIFY2(!chooser.isEmpty(), "the chooser did not open");
    x.xdotool({"windowfocus", "--sync", chooser});
    x.xdotool({"key", "alt+g"});
    x.xdotool({"type", "128"});
    x.xdotool({"key", "alt+a", "Return"});
    QTRY_COMPARE(pixel(x, Panel1Centre), QColor(0, 128, 0));
    QCOMPARE(pixel(x, Panel3Centre), QColor(0, 128, 0));
    QCOMPARE(pixel(x, Panel2Centre), QColor(Qt::black));

    // Opened again and cancelled: nothing moves.
    click(x, Button3Centre);
    const QString again = x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    x.xdotool({"windowfocus", "--sync", again});
    x.xdotool({"key", "Escape"});
    QTRY_VERIFY(x.xdotool({"search", "--name", QStringLiteral("^色の設定$")}).isEmpty());
    QCOMPARE(pixel(x, Panel1Centre), QColor(0, 128, 0));

    click(x, Button1Centre);  // "おわり"
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), QString());
    QCOMPARE(filesUnder(x.home()).join(QLatin1Char(' ')), QString());
    QCOMPARE(filesUnder(x.configHome()), QStringList());
}

QTEST_GUILESS_MAIN(tst_Desktop)
#include "tst_desktop.moc"
