// Picking a pixel's colour from the screen. On a private Xvfb (and again
// under openbox) a window shows blocks of known colours and a map whose
// every device pixel has its own colour; xdotool clicks them while the
// picker holds its grab, and the picked colour must be the painted one.
// The root of a second Xvfb, of 16 bits a pixel, is read as the pick reads
// it. The portal's PickColor is answered by a stand-in on the private session
// bus, which the picker is made to use although the platform is X11.
#include "portalreply.h"
#include "screenpicker.h"
#include "x11screens.h"
#include "xsession.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>

#include <limits>
#include <memory>
#include <optional>

#include <xcb/xcb.h>

namespace {

const QList<QColor> BlockColors = {QColor(0, 0, 0),       QColor(255, 255, 255), QColor(255, 0, 0),
                                   QColor(0, 255, 0),     QColor(0, 0, 255),     QColor(0x01, 0x02, 0x03),
                                   QColor(0xFE, 0xFD, 0xFC)};

// The map's device pixel (x, y) has red 4x, green 4y and blue 90.
constexpr int MapSize = 64;

class TBlock : public QWidget
{
public:
    TBlock(const QColor &color, QWidget *parent)
        : QWidget(parent)
        , m_color(color)
    {
    }
    const QColor m_color;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_color); }
};

class TPixelMap : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QImage map(MapSize, MapSize, QImage::Format_RGB32);
        for (int y = 0; y < MapSize; ++y)
            for (int x = 0; x < MapSize; ++x)
                map.setPixel(x, y, qRgb(4 * x, 4 * y, 90));
        map.setDevicePixelRatio(devicePixelRatioF());  // one image pixel on one device pixel
        QPainter(this).drawImage(QPointF(0, 0), map);
    }
};

// Where the map's first pixel is on the screen, in device pixels, found in
// a screenshot by its colours alone.
QPoint findMap(const QImage &shot)
{
    for (int y = 0; y + 1 < shot.height(); ++y)
        for (int x = 0; x + 1 < shot.width(); ++x)
            if (shot.pixel(x, y) == qRgb(0, 0, 90) && shot.pixel(x + 1, y) == qRgb(4, 0, 90)
                && shot.pixel(x, y + 1) == qRgb(0, 4, 90))
                return QPoint(x, y);
    return QPoint(-1, -1);
}

} // namespace

class tst_ScreenPick : public QObject
{
    Q_OBJECT

public:
    explicit tst_ScreenPick(const TXSession &session)
        : m_session(session)
    {
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void picksTheExactPixel_data();
    void picksTheExactPixel();
    void picksWithTheKeyboard();
    void cancels_data();
    void cancels();
    void releasesWhenDestroyed();
    void readsASixteenBitScreen_data();
    void readsASixteenBitScreen();
    void readsThePortalsReply_data();
    void readsThePortalsReply();
    void portalPick_data();
    void portalPick();
    void portalSilent();
    void portalLateAnswer();
    void portalUnavailable_data();
    void portalUnavailable();

public slots:
    // The results of a Response sent from a second connection.
    void replyReceived(uint, const QVariantMap &results) { m_reply = results; }

private:
    QPoint device(QWidget *widget) const;
    void click(const QPoint &at, const QString &button = QStringLiteral("1"));
    // Asked of the X server by another client: Qt's own view may be wrong.
    QString probe() const { return m_session.run(QStringLiteral(XCLIENT), {QStringLiteral("probe")}); }
    bool grabbed() const { return probe() == QLatin1String("pointer 1 keyboard 1"); }
    void verifyReleased();
    bool startPortal(QProcess &portal, const QStringList &arguments);

    const TXSession &m_session;
    QWidget m_window;
    QList<TBlock *> m_blocks;
    TPixelMap *m_map = nullptr;
    QPushButton *m_probe = nullptr;
    QProcess m_windowManager;
    std::optional<QVariantMap> m_reply;
};

void tst_ScreenPick::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "not on the private Xvfb");
    // Modal, as the chooser is: a modal window blocks input to other windows.
    m_window.setWindowModality(Qt::ApplicationModal);
    m_window.setWindowTitle(QStringLiteral("blocks"));
    for (int i = 0; i < BlockColors.size(); ++i) {
        auto *block = new TBlock(BlockColors.at(i), &m_window);
        block->setGeometry(10 + 70 * i, 10, 60, 60);  // even offsets: whole device pixels at 150 %
        m_blocks.append(block);
    }
    m_map = new TPixelMap(&m_window);
    m_map->setGeometry(10, 80, MapSize, MapSize);
    m_probe = new QPushButton(QStringLiteral("probe"), &m_window);
    m_probe->setGeometry(100, 80, 120, 40);
    m_window.resize(520, 160);
    m_window.move(100, 100);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
}

void tst_ScreenPick::cleanupTestCase()
{
    stop(m_windowManager);
}

QPoint tst_ScreenPick::device(QWidget *widget) const
{
    const QPointF centre = widget->mapToGlobal(QPointF(widget->rect().center()));
    return (centre * widget->screen()->devicePixelRatio()).toPoint();  // the screen's corner is at 0, 0
}

void tst_ScreenPick::click(const QPoint &at, const QString &button)
{
    // Without --sync, which waits for ever when the pointer is there already:
    // the X server takes the move and the click in the order they were sent.
    m_session.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", button});
}

void tst_ScreenPick::verifyReleased()
{
    QTRY_COMPARE(probe(), QStringLiteral("pointer 0 keyboard 0"));
    // The X server sends clicks to the window under the pointer again.
    QSignalSpy probed(m_probe, &QPushButton::clicked);
    click(device(m_probe));
    QTRY_COMPARE(probed.count(), 1);
}

void tst_ScreenPick::picksTheExactPixel_data()
{
    QTest::addColumn<bool>("underOpenbox");
    QTest::addColumn<bool>("ontoTheLoupe");  // the pointer jumps onto where the loupe is shown
    QTest::addColumn<int>("block");  // or -1: the map
    QTest::addColumn<QPoint>("mapPixel");
    QTest::addColumn<QColor>("expected");
    const QPoint none;
    QTest::newRow("black") << false << false << 0 << none << QColor(0, 0, 0);
    QTest::newRow("white") << false << false << 1 << none << QColor(255, 255, 255);
    QTest::newRow("pure red") << false << false << 2 << none << QColor(255, 0, 0);
    QTest::newRow("pure green") << false << false << 3 << none << QColor(0, 255, 0);
    QTest::newRow("pure blue") << false << false << 4 << none << QColor(0, 0, 255);
    QTest::newRow("#010203") << false << false << 5 << none << QColor(1, 2, 3);
    QTest::newRow("#FEFDFC") << false << false << 6 << none << QColor(254, 253, 252);
    QTest::newRow("map pixel 0,0") << false << false << -1 << QPoint(0, 0) << QColor(0, 0, 90);
    QTest::newRow("map pixel 37,21") << false << false << -1 << QPoint(37, 21) << QColor(148, 84, 90);
    QTest::newRow("map pixel 38,21") << false << false << -1 << QPoint(38, 21) << QColor(152, 84, 90);
    QTest::newRow("map pixel 37,22") << false << false << -1 << QPoint(37, 22) << QColor(148, 88, 90);
    QTest::newRow("map pixel 63,63") << false << false << -1 << QPoint(63, 63) << QColor(252, 252, 90);
    // Where the loupe was, a Qt window keeps the loupe's pixels until it
    // paints itself again, which this one cannot do during the pick's read.
    QTest::newRow("#010203 under the loupe") << false << true << 5 << none << QColor(1, 2, 3);
    QTest::newRow("map pixel 37,21 under the loupe") << false << true << -1 << QPoint(37, 21) << QColor(148, 84, 90);
    // Openbox frames and manages the window from here on.
    QTest::newRow("#010203 under openbox") << true << false << 5 << none << QColor(1, 2, 3);
    QTest::newRow("#FEFDFC under openbox") << true << false << 6 << none << QColor(254, 253, 252);
    QTest::newRow("map pixel 37,21 under openbox") << true << false << -1 << QPoint(37, 21) << QColor(148, 84, 90);
}

void tst_ScreenPick::picksTheExactPixel()
{
    QFETCH(bool, underOpenbox);
    QFETCH(bool, ontoTheLoupe);
    QFETCH(int, block);
    QFETCH(QPoint, mapPixel);
    QFETCH(QColor, expected);
    if (underOpenbox && m_windowManager.state() == QProcess::NotRunning) {
        QVERIFY2(m_session.startWindowManager(m_windowManager), "openbox did not come up");
        QTRY_VERIFY_WITH_TIMEOUT(m_window.frameGeometry().top() < m_window.geometry().top(), 15000);
    }

    QPoint at;
    if (block >= 0) {
        at = device(m_blocks.at(block));
    } else {
        const QPoint map = findMap(m_session.screenshot());
        QVERIFY2(map.x() >= 0, "the map is not on the screen");
        at = map + mapPixel;
    }
    // Framed by openbox, the window is shown anew, black until it has
    // painted itself again: the pick is to read what the screen shows.
    const QRgb painted = qRgb(expected.red(), expected.green(), expected.blue());
    QTRY_COMPARE(m_session.screenshot().pixel(at), painted);
    TScreenPicker picker;
    QVERIFY(picker.isAvailable());
    QCOMPARE(picker.unavailableReason(), QString());
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_VERIFY(grabbed());
    if (ontoTheLoupe) {
        // The loupe's corner is 24 px below and right of the pointer.
        const QPoint beside = at - (QPointF(50, 50) * m_window.devicePixelRatioF()).toPoint();
        m_session.xdotool({"mousemove", QString::number(beside.x()), QString::number(beside.y())});
        QTRY_VERIFY2(m_session.screenshot().pixel(at) != painted, "the loupe is not shown over the pixel");
    }
    click(at);
    QTRY_COMPARE(picked.count(), 1);
    QCOMPARE(cancelled.count(), 0);
    QCOMPARE(picked.first().first().value<TColor>(), MakeColor(expected.red(), expected.green(), expected.blue()));
    verifyReleased();
    QCOMPARE(picked.count() + cancelled.count(), 1);
}

void tst_ScreenPick::picksWithTheKeyboard()
{
    const QPoint map = findMap(m_session.screenshot());
    QVERIFY2(map.x() >= 0, "the map is not on the screen");
    TScreenPicker picker;
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    picker.start(&m_window);
    QTRY_VERIFY(grabbed());
    const QPoint at = map + QPoint(37, 21);
    m_session.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
    m_session.xdotool({"key", "Right", "Right", "Down", "Left", "Return"});
    QTRY_COMPARE(picked.count(), 1);
    QCOMPARE(picked.first().first().value<TColor>(), MakeColor(152, 88, 90));  // map pixel 38, 22
    verifyReleased();
}

void tst_ScreenPick::cancels_data()
{
    QTest::addColumn<QStringList>("action");
    QTest::newRow("Escape") << QStringList{"key", "Escape"};
    QTest::newRow("right click") << QStringList{"click", "3"};
}

void tst_ScreenPick::cancels()
{
    QFETCH(QStringList, action);
    TScreenPicker picker;
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_VERIFY(grabbed());
    m_session.xdotool({"mousemove", "300", "400"});
    m_session.xdotool(action);
    QTRY_COMPARE(cancelled.count(), 1);
    verifyReleased();
    QCOMPARE(picked.count(), 0);
    QCOMPARE(cancelled.count(), 1);
}

void tst_ScreenPick::releasesWhenDestroyed()
{
    {
        TScreenPicker picker;
        picker.start(&m_window);
        QTRY_VERIFY(grabbed());
    }
    verifyReleased();
}

void tst_ScreenPick::readsASixteenBitScreen_data()
{
    // Pixels of the square around the pointer, from its top left corner;
    // an invalid colour: off the screen, left transparent.
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QList<QPoint>>("pixels");
    QTest::addColumn<QList<QColor>>("expected");
    // Each component c of n steps shows as c x 255 / n, rounded: red 5 of 31
    // is 41.1, 25 is 205.6; green 20 of 63 is 80.95; blue 1 of 31 is 8.2.
    QTest::newRow("inside: 11 pixels a row, 22 bytes padded to 24")
        << QPoint(37, 20) << QList<QPoint>{{0, 0}, {5, 5}, {10, 10}, {10, 0}}
        << QList<QColor>{QColor(0, 61, 8), QColor(41, 81, 8), QColor(82, 101, 8), QColor(82, 61, 8)};
    QTest::newRow("at the top right corner: 7 pixels a row, 14 bytes padded to 16")
        << QPoint(62, 1) << QList<QPoint>{{5, 5}, {6, 4}, {0, 10}, {7, 5}, {5, 3}}
        << QList<QColor>{QColor(247, 4, 8), QColor(255, 0, 8), QColor(206, 24, 8), QColor(), QColor()};
}

// The conversion of what the server sends, on a screen of two bytes a pixel
// (red 5 bits, green 6, blue 5), whose rows are padded to 4 bytes: every
// pixel (x, y) holds red x mod 32, green y and blue x / 32.
void tst_ScreenPick::readsASixteenBitScreen()
{
    QFETCH(QPoint, pointer);
    QFETCH(QList<QPoint>, pixels);
    QFETCH(QList<QColor>, expected);
    TXSession sixteen(QStringLiteral("64x48x16"));
    QVERIFY2(sixteen.isReady(), "Xvfb did not start");
    const QByteArray display = sixteen.environment().value(QStringLiteral("DISPLAY")).toLatin1();
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    QVERIFY(!xcb_connection_has_error(connection));
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    QCOMPARE(screen->root_depth, 16);
    QCOMPARE(xcb_get_setup(connection)->image_byte_order, XCB_IMAGE_ORDER_LSB_FIRST);
    QVector<uint16_t> pattern(64 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            pattern[y * 64 + x] = uint16_t((x % 32) << 11 | y << 5 | x / 32);
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, screen->root, 0, nullptr);
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, gc, 64, 48, 0, 0, 0, 16,
                  uint32_t(pattern.size() * 2), reinterpret_cast<const uint8_t *>(pattern.constData()));

    std::unique_ptr<TRootShot> shot = TRootShot::make(connection, screen->root);
    QVERIFY(shot);
    shot->take(QRect(0, 0, 64, 48));
    TPointerPlace place;
    place.root = screen->root;
    place.position = pointer;
    place.screenSize = QSize(64, 48);
    const QImage square = shot->around(place, 5);
    for (int i = 0; i < pixels.size(); ++i) {
        const QColor shown = square.pixelColor(pixels.at(i));
        const QString where = QStringLiteral("square pixel %1,%2").arg(pixels.at(i).x()).arg(pixels.at(i).y());
        if (expected.at(i).isValid())
            QVERIFY2(shown == expected.at(i), qPrintable(where + QStringLiteral(": ") + shown.name()));
        else
            QVERIFY2(shown.alpha() == 0, qPrintable(where));
    }
}

bool tst_ScreenPick::startPortal(QProcess &portal, const QStringList &arguments)
{
    portal.setProcessEnvironment(m_session.environment());
    return startAndReadLine(portal, QStringLiteral(PORTAL_STANDIN), arguments) == QLatin1String("ready");
}

namespace {

QVariant structure(const QList<double> &components)
{
    QDBusArgument argument;
    argument.beginStructure();
    for (double component : components)
        argument << component;
    argument.endStructure();
    return QVariant::fromValue(argument);
}

QVariant integers(int red, int green, int blue)
{
    QDBusArgument argument;
    argument.beginStructure();
    argument << red << green << blue;
    argument.endStructure();
    return QVariant::fromValue(argument);
}

} // namespace

void tst_ScreenPick::readsThePortalsReply_data()
{
    // The "color" value as another client puts it on the bus (no value:
    // no key), and the colour it stands for (-1: none) or the fault.
    using Fault = TPortalReplyColor::Fault;
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<Fault>("fault");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("0/255, 1/255, 2/255") << structure({0.0, 1 / 255.0, 2 / 255.0}) << MakeColor(0, 1, 2) << Fault::None;
    QTest::newRow("127/255, 128/255, 255/255")
        << structure({127 / 255.0, 128 / 255.0, 255 / 255.0}) << MakeColor(127, 128, 255) << Fault::None;
    QTest::newRow("51/255, 102/255, 204/255")
        << structure({51 / 255.0, 102 / 255.0, 204 / 255.0}) << MakeColor(51, 102, 204) << Fault::None;
    // A half step lies between two 8-bit values and is taken upwards.
    QTest::newRow("half steps 0.5, 127.5, 254.5")
        << structure({0.5 / 255, 127.5 / 255, 254.5 / 255}) << MakeColor(1, 128, 255) << Fault::None;
    QTest::newRow("half steps 1.5, 128.5, 253.5")
        << structure({1.5 / 255, 128.5 / 255, 253.5 / 255}) << MakeColor(2, 129, 254) << Fault::None;
    QTest::newRow("-0 is 0") << structure({-0.0, -0.0, 1.0}) << MakeColor(0, 0, 255) << Fault::None;
    QTest::newRow("NaN") << structure({nan, 0.5, 0.5}) << -1 << Fault::NotANumber;
    QTest::newRow("NaN last") << structure({0.5, 0.5, nan}) << -1 << Fault::NotANumber;
    QTest::newRow("infinity") << structure({0.5, inf, 0.5}) << -1 << Fault::NotANumber;
    QTest::newRow("minus infinity") << structure({-inf, 0.5, 0.5}) << -1 << Fault::NotANumber;
    QTest::newRow("NaN beside out of range") << structure({2.0, nan, 0.5}) << -1 << Fault::NotANumber;
    QTest::newRow("above 1") << structure({1.0000001, 0.5, 0.5}) << -1 << Fault::OutOfRange;
    QTest::newRow("below 0") << structure({0.5, 0.5, -0.001}) << -1 << Fault::OutOfRange;
    QTest::newRow("integers (iii)") << integers(1, 2, 3) << -1 << Fault::WrongType;
    QTest::newRow("two doubles (dd)") << structure({0.5, 0.5}) << -1 << Fault::WrongType;
    QTest::newRow("four doubles (dddd)") << structure({0.5, 0.5, 0.5, 1.0}) << -1 << Fault::WrongType;
    QTest::newRow("a double") << QVariant(0.5) << -1 << Fault::WrongType;
    QTest::newRow("a text") << QVariant(QStringLiteral("#FF0000")) << -1 << Fault::WrongType;
    QTest::newRow("an array of doubles") << QVariant::fromValue(QList<double>{0.5, 0.5, 0.5}) << -1
                                         << Fault::WrongType;
    QTest::newRow("no color") << QVariant() << -1 << Fault::Missing;
}

// The reply as it comes off the bus: a second connection sends it, so the
// value is read as the portal's would be.
void tst_ScreenPick::readsThePortalsReply()
{
    using Fault = TPortalReplyColor::Fault;
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QFETCH(Fault, fault);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    QVERIFY(other.isConnected());
    const QString path = QStringLiteral("/reply");
    QVERIFY(bus.connect(other.baseService(), path, QStringLiteral("org.freedesktop.portal.Request"),
                        QStringLiteral("Response"), this, SLOT(replyReceived(uint, QVariantMap))));
    QVariantMap results{{QStringLiteral("other"), QVariant(1u)}};
    if (value.isValid())
        results.insert(QStringLiteral("color"), value);
    QDBusMessage response = QDBusMessage::createTargetedSignal(
        bus.baseService(), path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << 0u << results;
    m_reply.reset();
    QVERIFY(other.send(response));
    QTRY_VERIFY(m_reply.has_value());
    bus.disconnect(other.baseService(), path, QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), this, SLOT(replyReceived(uint, QVariantMap)));
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));

    const TPortalReplyColor read = PortalReplyColor(*m_reply);
    QCOMPARE(read.fault, fault);
    QCOMPARE(read.color.has_value(), expected >= 0);
    if (expected >= 0)
        QCOMPARE(*read.color, TColor(expected));
}

void tst_ScreenPick::portalPick_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QColor>("expected");  // invalid: nothing is picked
    QTest::addColumn<QString>("why");      // what the message says then
    // 51 = 0.2 x 255, 102 = 0.4 x 255, 153 = 0.6 x 255; 0.50196 x 255 = 127.9998.
    QTest::newRow("0.2, 0.4, 0.6") << "0.2,0.4,0.6" << QColor(51, 102, 153) << QString();
    QTest::newRow("1.0, 0.0, 0.50196 rounds") << "1.0,0.0,0.50196" << QColor(255, 0, 128) << QString();
    // 0.0021 x 255 = 0.54; 0.0019 x 255 = 0.48; 0.5 x 255 = 127.5, upwards.
    QTest::newRow("near the half steps") << "0.0021,0.0019,0.5" << QColor(1, 0, 128) << QString();
    // The second answer, pure red, comes too late.
    QTest::newRow("two answers") << "twice:0.2,0.4,0.6" << QColor(51, 102, 153) << QString();
    QTest::newRow("out of range") << "-0.1,1.2,0.998" << QColor() << "範囲外";
    QTest::newRow("NaN") << "nan,0,0" << QColor() << "数でない";
    QTest::newRow("infinity") << "0,inf,0" << QColor() << "数でない";
    QTest::newRow("minus infinity") << "0,0,-inf" << QColor() << "数でない";
    QTest::newRow("integers") << "ints:1,2,3" << QColor() << "正しくない形";
    QTest::newRow("no colour") << "nocolor" << QColor() << "色がなかった";
    QTest::newRow("cancelled by the user") << "cancel" << QColor() << "取り消されました";
    // A portal that offers PickColor and then fails says so.
    QTest::newRow("other failure") << "other" << QColor() << "デスクトップが色を取れませんでした";
    QTest::newRow("response 3") << "code:3" << QColor() << "不明な応答 (3)";
}

void tst_ScreenPick::portalPick()
{
    QFETCH(QString, answer);
    QFETCH(QColor, expected);
    QFETCH(QString, why);
    QProcess portal;
    QVERIFY2(startPortal(portal, {answer}), "the stand-in portal did not start");
    TScreenPicker picker(TScreenPicker::Method::Portal);
    QSignalSpy changed(&picker, &TScreenPicker::availabilityChanged);
    QTRY_COMPARE(changed.count(), 1);
    QVERIFY(picker.isAvailable());
    QCOMPARE(picker.unavailableReason(), QString());

    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_COMPARE(picked.count() + cancelled.count(), 1);
    QCOMPARE(picked.count(), expected.isValid() ? 1 : 0);
    if (expected.isValid())
        QCOMPARE(picked.first().first().value<TColor>(), MakeColor(expected.red(), expected.green(), expected.blue()));
    else
        QVERIFY2(cancelled.first().first().toString().contains(why), qPrintable(cancelled.first().first().toString()));
    // The button stays usable.
    QVERIFY(picker.isAvailable());
    // Nothing more arrives, and no grab was taken.
    QTest::qWait(200);
    QCOMPARE(picked.count() + cancelled.count(), 1);
    QCOMPARE(probe(), QStringLiteral("pointer 0 keyboard 0"));
    stop(portal);
}

// A portal that never returns from PickColor: the pick ends after a few
// seconds with a word, and the next one is tried.
void tst_ScreenPick::portalSilent()
{
    QProcess portal;
    QVERIFY2(startPortal(portal, {"silent"}), "the stand-in portal did not start");
    TScreenPicker picker(TScreenPicker::Method::Portal);
    QTRY_VERIFY(picker.isAvailable());
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        picker.start(&m_window);
        QVERIFY(picker.isPicking());
        QTRY_COMPARE_WITH_TIMEOUT(cancelled.count(), attempt, 15000);
        QVERIFY2(cancelled.last().first().toString().contains(QStringLiteral("応答しない")),
                 qPrintable(cancelled.last().first().toString()));
        QVERIFY(!picker.isPicking());
        QVERIFY(picker.isAvailable());
    }
    QCOMPARE(picked.count(), 0);
    stop(portal);
}

// Ended at once (Escape), a pick takes no answer that comes later, not even
// while the next pick runs; each takes only its own (the stand-in answers
// the first request late with 0.2, 0.4, 0.6 and later ones with blue).
void tst_ScreenPick::portalLateAnswer()
{
    QProcess portal;
    QVERIFY2(startPortal(portal, {"late:0.2,0.4,0.6"}), "the stand-in portal did not start");
    TScreenPicker picker(TScreenPicker::Method::Portal);
    QTRY_VERIFY(picker.isAvailable());
    QSignalSpy picked(&picker, &TScreenPicker::picked);
    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTest::qWait(100);  // the portal has the request
    picker.cancel();
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!picker.isPicking());

    picker.start(&m_window);
    QTRY_COMPARE_WITH_TIMEOUT(picked.count(), 1, 5000);
    QCOMPARE(picked.first().first().value<TColor>(), MakeColor(0, 0, 255));
    QTest::qWait(500);
    QCOMPARE(picked.count() + cancelled.count(), 2);
    stop(portal);
}

void tst_ScreenPick::portalUnavailable_data()
{
    QTest::addColumn<QStringList>("portal");  // empty: none on the bus
    QTest::newRow("no portal on the bus") << QStringList();
    QTest::newRow("portal without PickColor (version 1)") << QStringList{"0.2,0.4,0.6", "1"};
}

void tst_ScreenPick::portalUnavailable()
{
    QFETCH(QStringList, portal);
    QProcess standin;
    if (!portal.isEmpty())
        QVERIFY2(startPortal(standin, portal), "the stand-in portal did not start");
    TScreenPicker picker(TScreenPicker::Method::Portal);
    QVERIFY(!picker.isAvailable());  // until the portal has answered
    QVERIFY(!picker.unavailableReason().isEmpty());
    QSignalSpy changed(&picker, &TScreenPicker::availabilityChanged);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 15000);
    QVERIFY(!picker.isAvailable());
    QVERIFY(picker.unavailableReason().contains(QStringLiteral("ポータル")));

    QSignalSpy cancelled(&picker, &TScreenPicker::cancelled);
    picker.start(&m_window);
    QTRY_COMPARE(cancelled.count(), 1);
    QCOMPARE(cancelled.first().first().toString(), picker.unavailableReason());
    stop(standin);
}

int main(int argc, char **argv)
{
    // The in-process window and the picker run on a private Xvfb and bus.
    TXSession session;
    if (!session.isReady()) {
        std::fputs("Xvfb or the session bus did not start\n", stderr);
        return 1;
    }
    session.enter();
    QApplication app(argc, argv);
    tst_ScreenPick test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenpick.moc"
