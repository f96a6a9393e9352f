// The running program as an assistive technology sees it: an AT-SPI client
// (atspi_check.py, on Debian's python3 with pyatspi) reads every control,
// sets a slider and selects a row, and checks the read-outs that follow;
// atspi_menu.py reads the context menus that Qt itself makes.
#include "xsession.h"

namespace {

// The session's environment, with Qt's accessibility on from the start.
QProcessEnvironment accessibleEnvironment(const TXSession &x)
{
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return env;
}

// Runs one of the AT-SPI client scripts and waits for it: whether it ended
// with status 0 in time, and what it printed (shown in the log too).
std::pair<bool, QString> runClient(const QProcessEnvironment &env, const char *script, int timeout)
{
    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TINTARO_SOURCE_DIR "/") + QString::fromLatin1(script)});
    const bool finished = client.waitForFinished(timeout);
    const QString seen = QString::fromUtf8(client.readAll());
    qInfo().noquote() << seen;
    if (!finished)
        stop(client);
    return {finished && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0, seen};
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void atspiClient();
    void modalChooser();
    void japaneseContextMenus_data();
    void japaneseContextMenus();
};

void tst_Accessibility::atspiClient()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    const QProcessEnvironment env = accessibleEnvironment(x);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const auto [passed, seen] = runClient(env, "atspi_check.py", 120000);
    QVERIFY2(passed, qPrintable(seen));
    // The registry it read runs on our accessibility bus, not the machine's.
    QCOMPARE(x.accessibilityBusConfig(), x.runtime() + QStringLiteral("/at-spi/bus.conf"));

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
}

// atspi_modal.py opens the chooser through AT-SPI and asks the main window
// and the chooser what a user's keys and mouse could not make them do.
void tst_Accessibility::modalChooser()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    const QProcessEnvironment env = accessibleEnvironment(x);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const auto [passed, seen] = runClient(env, "atspi_modal.py", 150000);
    if (!passed)
        stop(program);
    QVERIFY2(passed, qPrintable(seen));
    // "おわり", pressed once the chooser had closed, ended the program.
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
}

void tst_Accessibility::japaneseContextMenus_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("items");
    // Window-relative points, the window at 123,95; what is typed there
    // first; the items as Qt's
    // Japanese catalogue (qtbase_ja.qm) words them, with the access keys'
    // ampersands dropped.
    QTest::newRow("edit box Edit2") << QPoint(184 + 80, 344 + 13) << QStringLiteral("a")
                                    << QStringLiteral("元に戻す(U)|やり直す(R)|切り取り(T)|コピー(C)|貼り付け(P)|削除|すべてを選択");
    QTest::newRow("read-out lblTen") << QPoint(200 + 4, 280 + 9) << QString()
                                     << QStringLiteral("コピー(C)|すべてを選択");
}

// A right click on the real window under Xvfb opens Qt's own context menu,
// read item by item through AT-SPI.
void tst_Accessibility::japaneseContextMenus()
{
    QFETCH(QPoint, at);
    QFETCH(QString, typed);
    QFETCH(QString, items);
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    const QProcessEnvironment env = accessibleEnvironment(x);

    // The client listens before the program starts, so that the program
    // knows of the listener from its first moment.
    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TINTARO_SOURCE_DIR "/atspi_menu.py")});
    QVERIFY(client.waitForReadyRead(30000));
    QCOMPARE(client.readLine().trimmed(), QByteArray("listening"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));
    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    x.xdotool({"windowfocus", "--sync", window});
    x.xdotool({"mousemove", QString::number(123 + at.x()), QString::number(95 + at.y())});
    if (!typed.isEmpty())
        x.xdotool({"click", "1", "type", typed});  // a menu of disabled items takes no focus
    // Open the menu and move into it: an item takes the focus. Down is
    // pressed again until the client has seen it, and the menu opened again
    // if it has not, as the menu comes up in its own time.
    for (int opened = 0; opened < 3 && client.state() != QProcess::NotRunning; ++opened) {
        x.xdotool({"key", "Escape", "click", "3"});
        for (int tries = 0; tries < 5 && !client.waitForFinished(1000); ++tries)
            x.xdotool({"key", "Down"});
    }
    QVERIFY(client.state() == QProcess::NotRunning || client.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(client.readAll()).trimmed(), items);

    x.xdotool({"key", "Escape"});
    stop(program);
}

QTEST_GUILESS_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
