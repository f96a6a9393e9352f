// The installed files and the .deb: a package is built, unpacked into a
// scratch root, and its desktop entry and AppStream metadata validated.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TRun
{
    int status = -1;
    QString output;
};

TRun run(const QString &program, const QStringList &arguments, const QString &folder = QString())
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(300000))
        return {-1, QStringLiteral("timed out")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

} // namespace

class tst_Package : public QObject
{
    Q_OBJECT

private slots:
    void debInstallsTheFiles();
};

void tst_Package::debInstallsTheFiles()
{
    QTemporaryDir scratch;
    const TRun cpack = run(QStringLiteral("cpack"), {"-G", "DEB", "--config", TINTARO_BUILD_DIR "/CPackConfig.cmake",
                                                    "-B", scratch.filePath("out")});
    QVERIFY2(cpack.status == 0, qPrintable(cpack.output));
    const QStringList debs = QDir(scratch.filePath("out")).entryList({"tintaro_*.deb"});
    QCOMPARE(debs.size(), 1);
    const QString deb = scratch.filePath("out/" + debs.first());

    const TRun depends = run(QStringLiteral("dpkg-deb"), {"--field", deb, "Depends"});
    QCOMPARE(depends.status, 0);
    for (const char *needed : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libc6", "libstdc++6",
                               "qt6-qpa-plugins", "qt6-wayland", "fonts-ipafont-gothic",
                               "libwayland-client0 (>= 1.20)", "libxkbcommon0"})
        QVERIFY2(depends.output.contains(QLatin1String(needed)), qPrintable(depends.output));

    const QString root = scratch.filePath("root");
    QCOMPARE(run(QStringLiteral("dpkg"), {"-x", deb, root}).status, 0);
    const QString id = QStringLiteral("org.tintaro.Tintaro");
    const QFileInfo program(root + "/usr/bin/tintaro");
    QVERIFY(program.isFile() && program.isExecutable());
    const QString desktop = root + "/usr/share/applications/" + id + ".desktop";
    const QString metainfo = root + "/usr/share/metainfo/" + id + ".metainfo.xml";
    QVERIFY(QFileInfo(root + "/usr/share/icons/hicolor/scalable/apps/" + id + ".svg").isFile());

    const TRun entry = run(QStringLiteral("desktop-file-validate"), {desktop});
    QVERIFY2(entry.status == 0 && entry.output.isEmpty(), qPrintable(entry.output));
    const TRun appstream = run(QStringLiteral("appstreamcli"), {"validate", "--no-net", metainfo});
    QVERIFY2(appstream.status == 0, qPrintable(appstream.output));
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
