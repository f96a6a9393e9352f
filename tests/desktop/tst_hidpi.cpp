// The window at 1.5 and 2 times the design density: the whole layout
// scales, and the swatches show their colours where the scaled layout puts
// them on a real X screen.
#include "xsession.h"

#include <QRegularExpression>

class tst_HiDpi : public QObject
{
    Q_OBJECT

private slots:
    void scaledLayout_data();
    void scaledLayout();
};

void tst_HiDpi::scaledLayout_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("150%") << 1.5;
    QTest::newRow("200%") << 2.0;
}

void tst_HiDpi::scaledLayout()
{
    QFETCH(double, scale);
    TXSession x(QStringLiteral("2560x1600x24"));
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    const QRegularExpressionMatch geometry =
        QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+).*Geometry: (\\d+)x(\\d+)"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(x.xdotool({"getwindowgeometry", window}));
    QVERIFY(geometry.hasMatch());
    const QPoint origin(geometry.captured(1).toInt(), geometry.captured(2).toInt());
    const QSize size(geometry.captured(3).toInt(), geometry.captured(4).toInt());
    QVERIFY2(qAbs(size.width() - 811 * scale) <= 1 && qAbs(size.height() - 565 * scale) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    QVERIFY(qAbs(origin.x() - 123 * scale) <= 1 && qAbs(origin.y() - 95 * scale) <= 1);

    const auto at = [&](int designX, int designY) {
        return origin + QPoint(int(designX * scale), int(designY * scale));
    };
    x.xdotool({"windowfocus", "--sync", window});
    x.xdotool({"key", "End", "Tab", "Tab", "End"});  // red and blue to 255: magenta
    const QColor magenta(255, 0, 255);
    QTRY_COMPARE(x.screenshot().pixelColor(at(416 + 176, 24 + 168)), magenta);
    const QImage shot = x.screenshot();
    // Each swatch is filled to its scaled edges, inside its one-pixel bevel.
    QCOMPARE(shot.pixelColor(at(416 + 4, 24 + 4)), magenta);
    QCOMPARE(shot.pixelColor(at(416 + 348, 24 + 332)), magenta);
    QCOMPARE(shot.pixelColor(at(96 + 40, 104 + 20)), QColor(255, 0, 0));
    QCOMPARE(shot.pixelColor(at(96 + 77, 104 + 37)), QColor(255, 0, 0));
    QCOMPARE(shot.pixelColor(at(96 + 40, 160 + 20)), QColor(Qt::black));
    QCOMPARE(shot.pixelColor(at(96 + 40, 216 + 20)), QColor(0, 0, 255));
    // Outside the swatch: the button face.
    QCOMPARE(shot.pixelColor(at(416 + 176, 24 + 345)), shot.pixelColor(at(400, 540)));
    stop(program);
}

QTEST_GUILESS_MAIN(tst_HiDpi)
#include "tst_hidpi.moc"
