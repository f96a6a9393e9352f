// Picking on a wlroots compositor: Debian's sway, headless, with three
// outputs side by side, HEADLESS-1 at scale 1, HEADLESS-2 at scale 2 turned
// a quarter, HEADLESS-3 at scale 1.5. A client of the test's own
// (wlclient.cpp) gives every device pixel a colour of its own and moves and
// clicks the pointer; Debian's grim, reading the outputs through the same
// screencopy protocol, says what each output holds; wtype types the keys.
// The picker is in this process, a Wayland client of sway; the portal is
// not on the session's bus, so a pick can only work through screencopy.
#include "screenpicker.h"
#include "xsession.h"

#include <QApplication>
#include <QSignalSpy>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace {

struct TOutputPlace
{
    QPointF origin;  // in the layout, in surface units
    double scale;
};

const std::map<QString, TOutputPlace> Outputs = {
    {"HEADLESS-1", {{0, 0}, 1.0}},
    {"HEADLESS-2", {{640, 0}, 2.0}},
    {"HEADLESS-3", {{790, 0}, 1.5}},
};
// The layout's extent: 640 + 400 / 2 turned (150) + 600 / 1.5, and 480 high.
constexpr double LayoutWidth = 1190;
constexpr double LayoutHeight = 480;
// Where the pointer waits between picks, far from every pixel picked.
const QPointF Park(320, 240);

constexpr int ButtonLeft = 0x110;
constexpr int ButtonRight = 0x111;

QString noWord() { return QString(); }

} // namespace

/// Debian's sway, headless on a runtime folder of its own, started as an
/// unprivileged user when the test runs as root (sway refuses root).
class TSwaySession : public TSession
{
public:
    TSwaySession()
    {
        m_folder.setAutoRemove(true);
        if (!m_folder.isValid())
            return;
        QFile config(m_folder.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write("output HEADLESS-1 mode 640x480 position 0 0 scale 1\n"
                     "output HEADLESS-2 mode 400x300 position 640 0 scale 2 transform 90\n"
                     "output HEADLESS-3 mode 600x450 position 790 0 scale 1.5\n");
        config.close();
        QProcessEnvironment env = TSession::environment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder.path());
        env.insert(QStringLiteral("HOME"), m_folder.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QStringLiteral("3"));
        // The sanitizers' settings are for this test's own programs.
        env.remove(QStringLiteral("LSAN_OPTIONS"));
        env.remove(QStringLiteral("UBSAN_OPTIONS"));
        QString program = QStringLiteral("sway");
        QStringList arguments{QStringLiteral("-c"), config.fileName()};
        if (geteuid() == 0) {
            const passwd *nobody = getpwnam("nobody");
            if (!nobody)
                return;
            const QByteArray folder = QFile::encodeName(m_folder.path());
            if (chown(folder.constData(), nobody->pw_uid, nobody->pw_gid) != 0
                || chown(QFile::encodeName(config.fileName()).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return;
            arguments = QStringList{QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                                    QStringLiteral("--regid=%1").arg(nobody->pw_gid), QStringLiteral("--clear-groups"),
                                    program} + arguments;
            program = QStringLiteral("setpriv");
        }
        m_compositor.setProcessEnvironment(env);
        m_compositor.setStandardOutputFile(m_folder.filePath(QStringLiteral("sway.log")));
        m_compositor.setStandardErrorFile(m_folder.filePath(QStringLiteral("sway.log")));
        m_compositor.start(program, arguments);
        m_compositor.waitForStarted(5000);
        for (int i = 0; i < 300 && socket().isEmpty() && m_compositor.state() == QProcess::Running; ++i)
            QThread::msleep(50);
        m_socket = socket();
    }
    ~TSwaySession() override { stop(); }

    void stop() { ::stop(m_compositor); }

    bool isReady() const override
    {
        return TSession::isReady() && m_compositor.state() == QProcess::Running && !m_socket.isEmpty();
    }

    /// The compositor's socket by its whole path, which root reaches in the
    /// folder of the user sway runs as; Qt's platform is Wayland.
    QProcessEnvironment environment() const override
    {
        QProcessEnvironment env = TSession::environment();
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        return env;
    }

    /// What the output holds now, as grim reads it.
    QImage grab(const QString &output) const
    {
        QProcess grim;
        grim.setProcessEnvironment(environment());
        grim.start(QStringLiteral("grim"), {"-o", output, "-t", "ppm", "-"});
        grim.waitForFinished(10000);
        return QImage::fromData(grim.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
    }

    QString swaymsg(const QStringList &arguments) const
    {
        const QDir folder(m_folder.path());
        const QStringList sockets = folder.entryList({"sway-ipc.*.sock"}, QDir::System);
        if (sockets.isEmpty())
            return QString();
        return run(QStringLiteral("swaymsg"), QStringList{"-s", folder.filePath(sockets.first())} + arguments);
    }

private:
    QString socket() const
    {
        const QDir folder(m_folder.path());
        for (const QString &name : folder.entryList({"wayland-*"}, QDir::System))
            if (!name.endsWith(QLatin1String(".lock")))
                return folder.filePath(name);
        return QString();
    }

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/tintaro-sway-XXXXXX")};
    QProcess m_compositor;
    QString m_socket;
};

class tst_WlrPick : public QObject
{
    Q_OBJECT

public:
    explicit tst_WlrPick(TSwaySession &session)
        : m_session(session)
    {
    }

private slots:
    void initTestCase();
    void picksTheExactPixel_data();
    void picksTheExactPixel();
    void arrowsMoveOneDevicePixel();
    void escapeRemovesTheOverlay();
    void rightClickCancels();
    void closingThePickerRemovesTheOverlay();
    void terminatedMidPick();
    void compositorGoesAway();
    void cleanupTestCase();

private:
    bool command(const QString &line);
    bool moveTo(QPointF layout);
    bool click(int button);
    bool keys(const QStringList &names);
    static QPoint devicePixel(const QString &output, QPointF layout);
    bool loupeShows(const QString &output, QPoint pixel) const;
    bool showsLive(const QString &output, QPointF pointer) const;
    void startOver(TScreenPicker &picker, const QString &output, QPointF layout);

    TSwaySession &m_session;
    QProcess m_client;
    QProcess m_keyboard;
    std::map<QString, QImage> m_before;  // the pattern, as grim read it
    std::map<QString, QImage> m_after;   // the pattern inverted
};

bool tst_WlrPick::command(const QString &line)
{
    m_client.write(line.toUtf8() + '\n');
    const QByteArray answer = "done " + line.section(QLatin1Char(' '), 0, 0).toUtf8();
    QByteArray read;
    while (!read.contains(answer) && m_client.waitForReadyRead(10000))
        read += m_client.readAllStandardOutput();
    return read.contains(answer);
}

bool tst_WlrPick::moveTo(QPointF layout)
{
    return command(QStringLiteral("move %1 %2 %3 %4").arg(layout.x()).arg(layout.y()).arg(LayoutWidth).arg(LayoutHeight));
}

bool tst_WlrPick::click(int button)
{
    return command(QStringLiteral("button %1 1").arg(button)) && command(QStringLiteral("button %1 0").arg(button));
}

bool tst_WlrPick::keys(const QStringList &names)
{
    QStringList arguments;
    for (const QString &name : names)
        arguments << QStringLiteral("-k") << name;
    QProcess wtype;
    wtype.setProcessEnvironment(m_session.environment());
    wtype.start(QStringLiteral("wtype"), arguments);
    return wtype.waitForFinished(10000) && wtype.exitCode() == 0;
}

/// The device pixel of the output, as the output shows it (and grim reads
/// it), under a point of the layout: whole device pixels from the output's
/// corner, `scale` of them a surface unit.
QPoint tst_WlrPick::devicePixel(const QString &output, QPointF layout)
{
    const TOutputPlace &place = Outputs.at(output);
    const QPointF local = (layout - place.origin) * place.scale;
    return QPoint(int(std::floor(local.x())), int(std::floor(local.y())));
}

/// Whether the output shows a loupe framing `pixel` of the pattern: a block
/// of that pixel's colour 8 surface units square (every pixel of the
/// pattern differs from its neighbours, so only the loupe's magnification
/// makes one), with the colour of the pixel to its right (grey off the
/// output) in the block beside it.
bool tst_WlrPick::loupeShows(const QString &output, QPoint pixel) const
{
    const QImage shown = m_session.grab(output);
    const QImage &before = m_before.at(output);
    if (shown.isNull() || shown.size() != before.size())
        return false;
    const QRgb framed = before.pixel(pixel);
    const int zoom = int(8 * Outputs.at(output).scale);
    for (int y = 0; y + zoom < shown.height(); ++y) {
        for (int x = 0; x + 2 * zoom < shown.width(); ++x) {
            if (shown.pixel(x, y) != framed || shown.pixel(x + 5, y + 5) != framed
                || (x > 0 && shown.pixel(x - 1, y) == framed) || (y > 0 && shown.pixel(x, y - 1) == framed))
                continue;
            // A block of it (the frame drawn round it may cover its last
            // device pixels), and the next pixel's block beside it.
            if (shown.pixel(x + zoom - 3, y + zoom - 3) != framed || x + 2 * zoom >= shown.width())
                continue;
            const QPoint next = pixel + QPoint(1, 0);
            const QRgb expected = before.rect().contains(next) ? before.pixel(next) : qRgb(128, 128, 128);
            if (shown.pixel(x + zoom + zoom / 2, y + zoom / 2) == expected)
                return true;
        }
    }
    return false;
}

/// Whether the output shows what the client draws now (the inverted
/// pattern), not a frozen frame or a loupe, away from the pointer's cursor
/// where it is and where it was when the pattern was read.
bool tst_WlrPick::showsLive(const QString &output, QPointF pointer) const
{
    const QImage shown = m_session.grab(output);
    const QImage &after = m_after.at(output);
    if (shown.isNull() || shown.size() != after.size())
        return false;
    const QRect cursor(devicePixel(output, pointer) - QPoint(48, 48), QSize(97, 97));
    const QRect parked = output == QLatin1String("HEADLESS-1") ? QRect(Park.toPoint() - QPoint(48, 48), QSize(137, 137)) : QRect();
    for (int y = 0; y < shown.height(); y += 3)
        for (int x = 0; x < shown.width(); x += 3)
            if (!cursor.contains(x, y) && !parked.contains(x, y) && shown.pixel(x, y) != after.pixel(x, y))
                return false;
    return true;
}

void tst_WlrPick::initTestCase()
{
    m_client.setProcessEnvironment(m_session.environment());
    m_client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_client.start(QStringLiteral(WLCLIENT), QStringList());
    QVERIFY(m_client.waitForStarted(5000));
    QByteArray read;
    while (!read.contains("ready") && m_client.waitForReadyRead(10000))
        read += m_client.readAllStandardOutput();
    QVERIFY(read.contains("ready"));
    QVERIFY(moveTo(Park));
    // sway starts with no input devices: a virtual keyboard for the whole
    // run, as a desktop has one, so each wtype below only types.
    m_keyboard.setProcessEnvironment(m_session.environment());
    m_keyboard.start(QStringLiteral("wtype"), {"-s", "3600000"});
    QVERIFY(m_keyboard.waitForStarted(5000));
    for (const int inverted : {1, 0}) {
        QVERIFY(command(QStringLiteral("paint %1").arg(inverted)));
        for (const auto &[name, place] : Outputs) {
            QImage image;
            // The first frames of the client's surface may still be on their way.
            QTRY_VERIFY_WITH_TIMEOUT(!(image = m_session.grab(name)).isNull()
                                         && qRed(image.pixel(1, 2)) == (inverted ? 254 : 1)
                                         && qGreen(image.pixel(1, 2)) == (inverted ? 253 : 2),
                                     10000);
            (inverted ? m_after : m_before)[name] = image;
        }
    }
    // Each output's device pixels, as grim reads them: turned and scaled.
    QCOMPARE(m_before.at("HEADLESS-1").size(), QSize(640, 480));
    QCOMPARE(m_before.at("HEADLESS-2").size(), QSize(300, 400));
    QCOMPARE(m_before.at("HEADLESS-3").size(), QSize(600, 450));
}

void tst_WlrPick::picksTheExactPixel_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QPointF>("layout");
    QTest::addColumn<QPoint>("device");
    QTest::newRow("scale 1, first pixel") << "HEADLESS-1" << QPointF(0.5, 0.5) << QPoint(0, 0);
    QTest::newRow("scale 1, last column and row") << "HEADLESS-1" << QPointF(639.5, 479.5) << QPoint(639, 479);
    QTest::newRow("scale 1, inside") << "HEADLESS-1" << QPointF(100.5, 30.5) << QPoint(100, 30);
    QTest::newRow("scale 2 turned, second device pixel of a unit") << "HEADLESS-2" << QPointF(650.75, 20.25) << QPoint(21, 40);
    QTest::newRow("scale 2 turned, first device pixel of a unit") << "HEADLESS-2" << QPointF(650.25, 20.75) << QPoint(20, 41);
    QTest::newRow("scale 2 turned, last column and row") << "HEADLESS-2" << QPointF(789.75, 199.75) << QPoint(299, 399);
    QTest::newRow("scale 1.5, between units") << "HEADLESS-3" << QPointF(890.5, 50.75) << QPoint(150, 76);
    QTest::newRow("scale 1.5, last column and row") << "HEADLESS-3" << QPointF(1189.75, 299.75) << QPoint(599, 449);
}

void tst_WlrPick::startOver(TScreenPicker &picker, const QString &output, QPointF layout)
{
    // Back to the pattern, the pointer away, then the pick; the overlay is
    // on screen once the loupe frames the pixel under the pointer.
    QVERIFY(command(QStringLiteral("paint 0")));
    QVERIFY(moveTo(Park));
    QVERIFY(picker.isAvailable());
    picker.start(nullptr);
    QVERIFY(picker.isPicking());
    // sway draws the pointer into the outputs itself, and the frames are
    // taken at its next frame: the pointer goes to the pixel to pick only
    // once they are in and the overlay is up, its loupe beside the pointer.
    // Near the parking place, at two points in turn: a frame taken while the
    // pointer was on one has the pointer's image there.
    const QString parking = QStringLiteral("HEADLESS-1");
    bool up = false;
    for (int turn = 0; turn < 6 && !up; ++turn) {
        const QPointF point = Park + QPointF(40, 40 * (turn % 2));
        QVERIFY(moveTo(point));
        up = QTest::qWaitFor([&] { return loupeShows(parking, devicePixel(parking, point)); }, 3000);
    }
    QVERIFY2(up, "no loupe near the parking place");
    QVERIFY(moveTo(layout));
    QTRY_VERIFY_WITH_TIMEOUT(loupeShows(output, devicePixel(output, layout)), 10000);
    // What the outputs hold changes; the pick goes on with its frozen frame.
    QVERIFY(command(QStringLiteral("paint 1")));
}

void tst_WlrPick::picksTheExactPixel()
{
    QFETCH(QString, output);
    QFETCH(QPointF, layout);
    QFETCH(QPoint, device);
    QCOMPARE(devicePixel(output, layout), device);
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 10000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    startOver(picker, output, layout);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(click(ButtonLeft));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count() + cancelled.count(), 1, 10000);
    QVERIFY2(cancelled.isEmpty(), cancelled.isEmpty() ? "" : qPrintable(cancelled.first().first().toString()));
    const QRgb expected = m_before.at(output).pixel(device);
    QCOMPARE(QString::fromStdString(ColorToHtml(picked.first().first().value<TColor>())),
             QColor(expected).name().toUpper());
    QTRY_VERIFY_WITH_TIMEOUT(showsLive(output, layout), 10000);
}

void tst_WlrPick::arrowsMoveOneDevicePixel()
{
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 10000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    const QPointF layout(715.25, 100.25);  // device pixel 150, 200 of HEADLESS-2
    startOver(picker, QStringLiteral("HEADLESS-2"), layout);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(keys({"Right", "Right", "Down"}));
    QTRY_VERIFY_WITH_TIMEOUT(loupeShows(QStringLiteral("HEADLESS-2"), QPoint(152, 201)), 10000);
    QVERIFY(keys({"Return"}));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
    QCOMPARE(QString::fromStdString(ColorToHtml(picked.first().first().value<TColor>())),
             QColor(m_before.at("HEADLESS-2").pixel(152, 201)).name().toUpper());
}

void tst_WlrPick::escapeRemovesTheOverlay()
{
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 10000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    const QPointF layout(1000.5, 200.5);
    startOver(picker, QStringLiteral("HEADLESS-3"), layout);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(keys({"Escape"}));
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QCOMPARE(cancelled.first().first().toString(), noWord());
    QVERIFY(picked.isEmpty());
    for (const auto &[name, place] : Outputs)
        QTRY_VERIFY_WITH_TIMEOUT(showsLive(name, layout), 10000);
}

void tst_WlrPick::rightClickCancels()
{
    TScreenPicker picker;
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 10000);
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    const QPointF layout(200.5, 300.5);
    startOver(picker, QStringLiteral("HEADLESS-1"), layout);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(click(ButtonRight));
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QCOMPARE(cancelled.first().first().toString(), noWord());
    QVERIFY(picked.isEmpty());
    for (const auto &[name, place] : Outputs)
        QTRY_VERIFY_WITH_TIMEOUT(showsLive(name, layout), 10000);
    // Picking again works as before.
    startOver(picker, QStringLiteral("HEADLESS-1"), layout);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(click(ButtonLeft));
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 10000);
}

void tst_WlrPick::closingThePickerRemovesTheOverlay()
{
    // The chooser closed mid-pick takes its picker with it.
    auto picker = std::make_unique<TScreenPicker>();
    QTRY_VERIFY_WITH_TIMEOUT(picker->isAvailable(), 10000);
    const QPointF layout(700.5, 150.5);
    startOver(*picker, QStringLiteral("HEADLESS-2"), layout);
    if (QTest::currentTestFailed())
        return;
    picker.reset();
    for (const auto &[name, place] : Outputs)
        QTRY_VERIFY_WITH_TIMEOUT(showsLive(name, layout), 10000);
}

void tst_WlrPick::terminatedMidPick()
{
    // A program ended by SIGTERM mid-pick: this test again, as another
    // Wayland client of sway, picking until it is ended.
    QVERIFY(command(QStringLiteral("paint 0")));
    QVERIFY(moveTo(Park));
    QProcess picking;
    picking.setProcessEnvironment(m_session.environment());
    picking.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    picking.start(QCoreApplication::applicationFilePath(), {QStringLiteral("pickUntilTerminated")});
    QVERIFY(picking.waitForStarted(5000));
    const QString output = QStringLiteral("HEADLESS-1");
    bool up = false;
    for (int turn = 0; turn < 10 && !up; ++turn) {
        const QPointF point = Park + QPointF(40, 40 * (turn % 2));
        QVERIFY(moveTo(point));
        up = QTest::qWaitFor([&] { return loupeShows(output, devicePixel(output, point)); }, 3000);
    }
    QVERIFY2(up, "the other program's loupe did not show");
    QVERIFY(command(QStringLiteral("paint 1")));
    picking.terminate();
    QVERIFY(picking.waitForFinished(10000));
    QCOMPARE(picking.exitStatus(), QProcess::CrashExit);
    for (const auto &[name, place] : Outputs)
        QTRY_VERIFY_WITH_TIMEOUT(showsLive(name, Park + QPointF(40, 40)), 10000);
}

void tst_WlrPick::compositorGoesAway()
{
    // Qt's own Wayland connection would end this process with the
    // compositor: this case runs on its own, offscreen.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        QSKIP("run on its own, offscreen");
    TScreenPicker picker(TScreenPicker::Method::Screencopy);
    QTRY_VERIFY_WITH_TIMEOUT(picker.isAvailable(), 10000);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    startOver(picker, QStringLiteral("HEADLESS-3"), QPointF(900.5, 100.5));
    if (QTest::currentTestFailed())
        return;
    m_session.stop();
    QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), 1, 10000);
    QVERIFY(!cancelled.first().first().toString().isEmpty());
    QVERIFY(!picker.isPicking());
    QVERIFY(!picker.isAvailable());
    QVERIFY(!picker.unavailableReason().isEmpty());
}

void tst_WlrPick::cleanupTestCase()
{
    m_keyboard.kill();
    m_keyboard.waitForFinished(5000);
    m_client.closeWriteChannel();
    if (!m_client.waitForFinished(5000))
        m_client.kill();
}

int main(int argc, char **argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "pickUntilTerminated") {
        // The other side of terminatedMidPick, in its session: a pick that
        // runs until SIGTERM ends the program.
        QApplication app(argc, argv);
        TScreenPicker picker;
        QObject::connect(&picker, &TScreenPicker::availabilityChanged, &picker, [&picker] {
            if (picker.isAvailable() && !picker.isPicking())
                picker.start(nullptr);
        });
        return app.exec();
    }
    TSwaySession session;
    if (!session.isReady()) {
        std::fputs("sway or the session bus did not start\n", stderr);
        return 1;
    }
    session.enter();
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "compositorGoesAway")
            qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tst_WlrPick test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wlrpick.moc"
