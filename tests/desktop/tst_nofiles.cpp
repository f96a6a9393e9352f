// The program reads and writes no files of its own: a scripted session of
// the real program under strace, with every file system call checked.
#include "xsession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QPoint onScreen(int x, int y) { return {123 + x, 95 + y}; }

// Calls that change the file system, and the argument that names the file.
const QHash<QString, int> changingCalls = {
    {"creat", 0},  {"mkdir", 0},   {"mkdirat", 1}, {"rename", 0}, {"renameat", 1}, {"renameat2", 1},
    {"unlink", 0}, {"unlinkat", 1}, {"rmdir", 0},  {"link", 1},   {"linkat", 3},   {"symlink", 1},
    {"symlinkat", 2}, {"truncate", 0}, {"mknod", 0}, {"mknodat", 1},
};

bool isScratch(const QString &path)
{
    return path.startsWith(QLatin1String("/tmp/")) || path.startsWith(QLatin1String("/dev/"));
}

} // namespace

class tst_NoFiles : public QObject
{
    Q_OBJECT

private slots:
    void scriptedSessionUnderStrace_data();
    void scriptedSessionUnderStrace();
};

void tst_NoFiles::scriptedSessionUnderStrace_data()
{
    QTest::addColumn<QString>("runtimeFolder");  // "set", "unset" or "missing"
    QTest::newRow("XDG_RUNTIME_DIR set") << "set";
    // Qt would fall back to a folder of its own under the temporary folder.
    QTest::newRow("XDG_RUNTIME_DIR unset") << "unset";
    // Qt would create a missing runtime folder whose parent exists.
    QTest::newRow("XDG_RUNTIME_DIR missing") << "missing";
}

void tst_NoFiles::scriptedSessionUnderStrace()
{
    QFETCH(QString, runtimeFolder);
    TXSession x;
    QVERIFY2(x.isReady(), "Xvfb or the session bus did not start");
    const QString trace = x.home() + QStringLiteral("/../strace.log");
    const QString temp = x.home() + QStringLiteral("/../tmp");
    QVERIFY(QDir().mkpath(temp));

    QProcess program;
    QProcessEnvironment env = x.environment();
    env.insert(QStringLiteral("TMPDIR"), temp);
    const QString missing = x.home() + QStringLiteral("/../runtime-missing");
    if (runtimeFolder == QLatin1String("unset"))
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    else if (runtimeFolder == QLatin1String("missing"))
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), missing);
    // In the sanitized build: the leak checker cannot run under ptrace (the
    // other tests check for leaks).
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral("strace"), {"-f", "-qq", "-s", "512", "-o", trace, "-e",
                                             "trace=%file,creat", QStringLiteral(TINTARO_EXE)});
    QVERIFY(program.waitForStarted(5000));
    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    x.xdotool({"windowfocus", "--sync", window});
    const auto click = [&](QPoint at) {
        x.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    };

    x.xdotool({"key", "End", "Tab", "Right", "Right", "Tab", "Page_Down"});  // the sliders
    click(onScreen(184 + 40, 416 + 30));                                   // a row of the list
    x.xdotool({"type", "gold"});                                           // type-ahead
    click(onScreen(240 + 37, 24 + 12));                                    // "ダイアログ"
    const QString chooser =
        x.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    QVERIFY2(!chooser.isEmpty(), "the chooser did not open");
    x.xdotool({"windowfocus", "--sync", chooser});
    x.xdotool({"key", "alt+r"});
    x.xdotool({"type", "12"});
    x.xdotool({"key", "alt+a", "Return"});  // add a custom colour, OK
    QTRY_VERIFY(x.xdotool({"search", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).isEmpty());
    click(onScreen(96 + 37, 24 + 12));  // "おわり"
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);

    QFile log(trace);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QRegularExpression call(QStringLiteral("^(?:\\d+\\s+)?(\\w+)\\((.*)\\)\\s+=\\s+(-?\\d+)"));
    const QRegularExpression quoted(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QStringList offences;
    int calls = 0;
    while (!log.atEnd()) {
        const QString line = QString::fromUtf8(log.readLine()).trimmed();
        const QRegularExpressionMatch m = call.match(line);
        if (!m.hasMatch() || m.captured(3).toLongLong() < 0)
            continue;  // only what succeeded changed anything
        ++calls;
        const QString name = m.captured(1);
        QStringList paths;
        for (auto it = quoted.globalMatch(m.captured(2)); it.hasNext();)
            paths << it.next().captured(1);
        if (paths.isEmpty())
            continue;
        if (name == QLatin1String("open") || name == QLatin1String("openat")) {
            const QString args = m.captured(2);
            const bool writes = args.contains(QLatin1String("O_WRONLY")) || args.contains(QLatin1String("O_RDWR"))
                                || args.contains(QLatin1String("O_CREAT")) || args.contains(QLatin1String("O_TRUNC"));
            if (writes && !isScratch(paths.first()))
                offences << line;
            if (paths.first().contains(QLatin1String("QtProject")) || paths.first().startsWith(x.configHome())
                || paths.first().startsWith(x.home()))
                offences << line;  // a settings file
            if (paths.first().contains(QLatin1String("/qt6/translations")))
                offences << line;  // the translations are built into the program
        } else if (name == QLatin1String("mkdir") || name == QLatin1String("mkdirat")) {
            offences << line;  // a folder created, wherever it is
        } else if (changingCalls.contains(name)) {
            for (const QString &path : paths)
                if (!isScratch(path))
                    offences << line;
        }
    }
    QVERIFY2(!QFileInfo::exists(missing), "the missing runtime folder was created");
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QVERIFY2(calls > 100, "strace recorded nothing");
    QVERIFY2(offences.isEmpty(), qPrintable(offences.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(tst_NoFiles)
#include "tst_nofiles.moc"
