// What Debian's sway 1.7 cannot show of a screencopy pick, against a
// stand-in compositor (fakecompositor.cpp): an output taken away mid-pick,
// and a copy refused, each of which ends the pick with its reason, leaves
// nothing of the pick on the compositor's side (no overlay, no frame, no
// shared buffer), and lets the same picker then pick again; and picks
// through ext-image-copy-capture, which sway 1.7 does not offer. A pick
// takes the exact pixel of the stand-in's pattern: red the column, green
// the row, blue 0x40 on output 1 and 0x80 on output 2, which is at scale 2
// and turned a quarter (120 × 160 device pixels, 60 × 80 surface units).
#include "screenpicker.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString outputGoneReason() { return QStringLiteral("画面が取り外されたため、色の取得を取り消しました"); }
QString refusedReason() { return QStringLiteral("コンポジターが画面の内容を渡さなかったため、色を取れませんでした"); }
// What the compositor counts once a pick has let go of everything.
QString nothingHeld() { return QStringLiteral("layers 0 mapped 0 surfaces 0 buffers 0 captures 0"); }

QString html(const QSignalSpy &picked)
{
    return QString::fromStdString(ColorToHtml(picked.first().first().value<TColor>()));
}

} // namespace

/// The stand-in on a runtime folder of its own, with this process's
/// WAYLAND_DISPLAY pointing at it for the pickers made after it.
class TFakeCompositor
{
public:
    explicit TFakeCompositor(const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(FAKECOMPOSITOR), arguments);
        const QString line = readLine();
        if (line.startsWith(QLatin1String("ready ")))
            qputenv("WAYLAND_DISPLAY", QFile::encodeName(line.mid(6)));
        m_ready = line.startsWith(QLatin1String("ready "));
    }
    ~TFakeCompositor() { stop(); }
    Q_DISABLE_COPY_MOVE(TFakeCompositor)

    bool isReady() const { return m_ready; }

    /// Ends it as the end of its input does; true when it ended cleanly
    /// (under the sanitizers: without a leak).
    bool stop()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    /// "done <command>" and what it tells, or "fail <command>".
    QString ask(const QString &line)
    {
        m_process.write(line.toUtf8() + '\n');
        return readLine();
    }

    /// What the clients hold: "layers L mapped M surfaces S buffers B captures C".
    QString held() { return ask(QStringLiteral("count")).section(QLatin1Char(' '), 2); }

    int held(const QString &what)
    {
        const QStringList words = held().split(QLatin1Char(' '));
        const qsizetype at = words.indexOf(what);
        return at >= 0 && at + 1 < words.size() ? words[at + 1].toInt() : -1;
    }

private:
    QString readLine()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QTemporaryDir m_runtime;
    QProcess m_process;
    bool m_ready = false;
};

/// The stand-in and a screencopy picker on it, with spies on what the
/// picker says; made in this order, so the picker finds the stand-in.
struct TPickOnStandIn
{
    explicit TPickOnStandIn(const QStringList &arguments = {})
        : fake(arguments)
    {
    }
    Q_DISABLE_COPY_MOVE(TPickOnStandIn)

    /// The stand-in up, and the picker able to pick on it.
    bool ready()
    {
        return fake.isReady() && QTest::qWaitFor([this] { return picker.isAvailable(); }, 10000);
    }

    TFakeCompositor fake;
    TScreenPicker picker{TScreenPicker::Method::Screencopy};
    QSignalSpy picked{&picker, &TScreenPicker::picked};
    QSignalSpy cancelled{&picker, &TScreenPicker::cancelled};
};

class tst_WlrPickManners : public QObject
{
    Q_OBJECT

private slots:
    void picksTheExactPixel_data();
    void picksTheExactPixel();
    void outputRemovedMidPick_data();
    void outputRemovedMidPick();
    void outputRemovedWhileCopying();
    void copyRefused_data();
    void copyRefused();
    void extPreferredOverWlr();
    void startedAtOnce();

private:
    static void addProtocols();
};

void tst_WlrPickManners::picksTheExactPixel_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("output");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("colour");
    const QStringList wlr;
    const QStringList ext{QStringLiteral("--ext")};
    const QStringList upright{QStringLiteral("--ext"), QStringLiteral("--upright")};
    QTest::newRow("wlr-screencopy, turned, last column and row")
        << wlr << 2 << QPointF(59.75, 79.75) << QStringLiteral("#779F80");
    QTest::newRow("ext, first pixel") << ext << 1 << QPointF(0.5, 0.5) << QStringLiteral("#000040");
    QTest::newRow("ext, last column and row") << ext << 1 << QPointF(255.5, 191.5) << QStringLiteral("#FFBF40");
    QTest::newRow("ext, turned, inside") << ext << 2 << QPointF(20.25, 50.75) << QStringLiteral("#286580");
    QTest::newRow("ext, turned, last column and row")
        << ext << 2 << QPointF(59.75, 79.75) << QStringLiteral("#779F80");
    QTest::newRow("ext, turned by the compositor")
        << upright << 2 << QPointF(20.25, 50.75) << QStringLiteral("#286580");
    // The first buffer offered is twice too large; its frame fails, and the
    // one made to the constraints sent then is read at its own size.
    const QStringList reconstrain{QStringLiteral("--ext"), QStringLiteral("--reconstrain")};
    QTest::newRow("ext, constraints changed, last column and row")
        << reconstrain << 1 << QPointF(255.5, 191.5) << QStringLiteral("#FFBF40");
    QTest::newRow("ext, constraints changed, turned, last column and row")
        << reconstrain << 2 << QPointF(59.75, 79.75) << QStringLiteral("#779F80");
}

void tst_WlrPickManners::picksTheExactPixel()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, output);
    QFETCH(QPointF, point);
    QFETCH(QString, colour);
    TPickOnStandIn pick(arguments);
    QVERIFY(pick.ready());
    auto &[fake, picker, picked, cancelled] = pick;
    picker.start(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")) == 2 || !cancelled.isEmpty(), 10000);
    QVERIFY2(cancelled.isEmpty(), qPrintable(cancelled.value(0).value(0).toString()));
    // Each output copied once: nothing of the copying is left open.
    QCOMPARE(fake.held(QStringLiteral("captures")), 0);
    QCOMPARE(fake.ask(QStringLiteral("click %1 %2 %3").arg(output).arg(point.x()).arg(point.y())),
             QStringLiteral("done click"));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(html(picked), colour);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);
    QVERIFY(fake.stop());
}

void tst_WlrPickManners::addProtocols()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("wlr-screencopy") << QStringList();
    QTest::newRow("ext-image-copy-capture") << QStringList{QStringLiteral("--ext")};
}

void tst_WlrPickManners::outputRemovedMidPick_data()
{
    addProtocols();
}

void tst_WlrPickManners::outputRemovedMidPick()
{
    QFETCH(QStringList, arguments);
    TPickOnStandIn pick(arguments);
    QVERIFY(pick.ready());
    auto &[fake, picker, picked, cancelled] = pick;
    picker.start(nullptr);
    // An overlay on each output, each showing its frozen frame.
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")), 2, 10000);
    QCOMPARE(fake.held(QStringLiteral("layers")), 2);
    QVERIFY(fake.held(QStringLiteral("buffers")) >= 2);

    QCOMPARE(fake.ask(QStringLiteral("remove-output 2")), QStringLiteral("done remove-output"));
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QCOMPARE(cancelled.first().first().toString(), outputGoneReason());
    QVERIFY(picked.isEmpty());
    QVERIFY(!picker.isPicking());
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);

    // The output left picks as before: column 100, row 30 of output 1.
    QVERIFY(picker.isAvailable());
    picker.start(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")), 1, 10000);
    QCOMPARE(fake.held(QStringLiteral("layers")), 1);
    QCOMPARE(fake.ask(QStringLiteral("click 1 100.5 30.5")), QStringLiteral("done click"));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(html(picked), QStringLiteral("#641E40"));
    QCOMPARE(cancelled.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);
    QVERIFY(fake.stop());
}

void tst_WlrPickManners::outputRemovedWhileCopying()
{
    // The copy of output 2 still under way when it goes: its session stops.
    TPickOnStandIn pick({QStringLiteral("--ext")});
    QVERIFY(pick.ready());
    auto &[fake, picker, picked, cancelled] = pick;
    QCOMPARE(fake.ask(QStringLiteral("hold 1")), QStringLiteral("done hold"));
    picker.start(nullptr);
    // A source, a session and a frame for each output.
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("captures")), 6, 10000);
    QCOMPARE(fake.ask(QStringLiteral("remove-output 2")), QStringLiteral("done remove-output"));
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QCOMPARE(cancelled.first().first().toString(), outputGoneReason());
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);
    QVERIFY(fake.stop());
}

void tst_WlrPickManners::copyRefused_data()
{
    addProtocols();
}

void tst_WlrPickManners::copyRefused()
{
    QFETCH(QStringList, arguments);
    TPickOnStandIn pick(arguments);
    QVERIFY(pick.ready());
    auto &[fake, picker, picked, cancelled] = pick;
    QCOMPARE(fake.ask(QStringLiteral("refuse 1")), QStringLiteral("done refuse"));
    picker.start(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QCOMPARE(cancelled.first().first().toString(), refusedReason());
    QVERIFY(picked.isEmpty());
    QVERIFY(!picker.isPicking());
    // The buffers made for the copies are gone with the pick.
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);

    // Copies work again: at scale 2, 20.25, 50.75 is device pixel 40, 101.
    QVERIFY(picker.isAvailable());
    QCOMPARE(fake.ask(QStringLiteral("refuse 0")), QStringLiteral("done refuse"));
    picker.start(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")), 2, 10000);
    QCOMPARE(fake.ask(QStringLiteral("click 2 20.25 50.75")), QStringLiteral("done click"));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(html(picked), QStringLiteral("#286580"));
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(), nothingHeld(), 10000);
    QVERIFY(fake.stop());
}

void tst_WlrPickManners::extPreferredOverWlr()
{
    TPickOnStandIn pick({QStringLiteral("--both")});
    QVERIFY(pick.ready());
    auto &[fake, picker, picked, cancelled] = pick;
    picker.start(nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")), 2, 10000);
    QCOMPARE(fake.ask(QStringLiteral("copies")), QStringLiteral("done copies wlr 0 ext 2"));
    QCOMPARE(fake.ask(QStringLiteral("click 1 0.5 0.5")), QStringLiteral("done click"));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(html(picked), QStringLiteral("#000040"));
    QVERIFY(fake.stop());
}

void tst_WlrPickManners::startedAtOnce()
{
    // Started the moment the picker can pick, before the outputs have said
    // how they are turned: the turned one is still shown and read right.
    TFakeCompositor fake;
    QVERIFY(fake.isReady());
    TScreenPicker picker(TScreenPicker::Method::Screencopy);
    connect(&picker, &TScreenPicker::availabilityChanged, &picker, [&picker] {
        if (picker.isAvailable() && !picker.isPicking())
            picker.start(nullptr);
    });
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QTRY_COMPARE_WITH_TIMEOUT(fake.held(QStringLiteral("mapped")), 2, 10000);
    QCOMPARE(fake.ask(QStringLiteral("click 2 20.25 50.75")), QStringLiteral("done click"));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(html(picked), QStringLiteral("#286580"));
    QVERIFY(fake.stop());
}

int main(int argc, char **argv)
{
    // The picker's own connection is the only Wayland one here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tst_WlrPickManners test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wlrpickmanners.moc"
