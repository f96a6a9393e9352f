// The running program as an assistive technology sees it: an AT-SPI client
// (atspi_check.py, on Debian's python3 with pyatspi) reads every control,
// sets a slider and selects a row, and checks the read-outs that follow.
#include "xsession.h"

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void atspiClient();
};

void tst_Accessibility::atspiClient()
{
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));

    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::MergedChannels);
    client.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TINTARO_SOURCE_DIR "/atspi_check.py")});
    QVERIFY(client.waitForFinished(120000));
    const QString seen = QString::fromUtf8(client.readAll());
    qInfo().noquote() << seen;
    QVERIFY2(client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0, qPrintable(seen));

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
