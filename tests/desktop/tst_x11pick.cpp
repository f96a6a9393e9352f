// Picking from the screen with the chooser's "スポイト(P)" on X11, as a user
// meets it: two X screens, two monitors side by side on the first, another
// program holding the pointer, where the loupe is, and every way out of a
// pick. Every root shows a pattern in which each device pixel has its own
// colour (xclient.cpp), so the colour picked names the pixel read. Whether
// the pointer and keyboard are grabbed is asked of the X server by another
// client, not of Qt.
#include "colorchooser.h"
#include "chooserrequest.h"
#include "xsession.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace {

// Two monitors of 1920 x 1200 side by side on screen 0, and screen 1.
const QStringList Screens = {QStringLiteral("3840x1200x24"), QStringLiteral("1280x1024x24")};

const QString Held = QStringLiteral("pointer 1 keyboard 1");  // both grabbed by someone
const QString Free = QStringLiteral("pointer 0 keyboard 0");
const QString HeldPointerMessage = QStringLiteral("ほかのプログラムがポインターをつかんでいるため、画面から色を取れません");

/// The painted colour of device pixel (x, y) on screen s, as xclient paints it.
TColor patternColor(int screen, int x, int y)
{
    const int blue = ((x / 256) % 16) + 16 * ((y / 256) % 8) + 128 * screen;
    return MakeColor(x % 256, y % 256, blue);
}

QString hex(TColor color)
{
    return QString::asprintf("#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
}

QString describe(const QRect &rect)
{
    return QStringLiteral("loupe at %1,%2, %3 x %4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

/// Where a top-level window is on its root, as the X server has it.
QRect serverGeometry(WId window)
{
    xcb_connection_t *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, xcb_drawable_t(window)), nullptr);
    xcb_translate_coordinates_reply_t *onRoot =
        geometry ? xcb_translate_coordinates_reply(
                       connection, xcb_translate_coordinates(connection, xcb_window_t(window), geometry->root, 0, 0),
                       nullptr)
                 : nullptr;
    const QRect rect = onRoot ? QRect(onRoot->dst_x, onRoot->dst_y, geometry->width, geometry->height) : QRect();
    std::free(onRoot);
    std::free(geometry);
    return rect;
}

} // namespace

class tst_X11Pick : public QObject
{
    Q_OBJECT

public:
    explicit tst_X11Pick(const TXSession &session)
        : m_session(session)
    {
    }

private slots:
    void init();
    void cleanup();
    void exactPixel_data();
    void exactPixel();
    void loupe_data();
    void loupe();
    void heldPointerGrab();
    void waysOut_data();
    void waysOut();
    void terminated();

private:
    QString probe() const { return m_session.run(QStringLiteral(XCLIENT), {QStringLiteral("probe")}); }
    void openChooser();
    void startPick();
    void pickAt(int screen, int x, int y);
    void typeColor(const QString &text);

    const TXSession &m_session;
    std::unique_ptr<TColorChooser> m_chooser;
    QPushButton *m_pick = nullptr;
    QProcess m_windowManager;
};

void tst_X11Pick::init()
{
    QCOMPARE(probe(), Free);
    openChooser();
}

void tst_X11Pick::cleanup()
{
    // Closed first, as the program closes it: a chooser destroyed while
    // shown would have its typed colour read back on the way out.
    if (m_chooser)
        m_chooser->hide();
    m_chooser.reset();
    stop(m_windowManager);
    QTRY_COMPARE(probe(), Free);
}

void tst_X11Pick::openChooser()
{
    TChooseColorRequest request;
    request.flags = TChooseColorRequest::RgbInit | TChooseColorRequest::FullOpen;
    request.initialColor = MakeColor(1, 2, 3);
    m_chooser = std::make_unique<TColorChooser>(request);
    // On the left monitor, clear of every pixel picked below (at 200 % it
    // spans x 170 to 1750 and y 44 to 1110 of the left monitor).
    for (QScreen *screen : QGuiApplication::screens())
        if (screen->name() == QLatin1String("left"))
            m_chooser->setScreen(screen);
    QCOMPARE(m_chooser->screen()->name(), QStringLiteral("left"));
    m_chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chooser.get()));
    m_chooser->activateWindow();
    QTRY_VERIFY(m_chooser->isActiveWindow());
    m_pick = m_chooser->findChild<QPushButton *>(QStringLiteral("pickFromScreen"));
    QVERIFY(m_pick);
    QVERIFY(m_pick->isEnabled());
}

void tst_X11Pick::startPick()
{
    QTest::mouseClick(m_pick, Qt::LeftButton);
    QTRY_COMPARE(probe(), Held);
}

void tst_X11Pick::pickAt(int screen, int x, int y)
{
    // Without --sync, which waits for ever when the pointer is there already.
    m_session.xdotool({"mousemove", "--screen", QString::number(screen), QString::number(x), QString::number(y),
                       "click", "1"});
}

void tst_X11Pick::typeColor(const QString &text)
{
    m_session.xdotool({"key", "alt+t"});
    m_session.xdotool({"type", text});
    m_session.xdotool({"key", "Return"});
}

void tst_X11Pick::exactPixel_data()
{
    QTest::addColumn<int>("screen");
    QTest::addColumn<QPoint>("pixel");  // device pixels from the screen's corner
    const struct {
        const char *name;
        int screen;
        QPoint pixel;
    } rows[] = {
        {"left monitor, first pixel", 0, {0, 0}},
        {"left monitor, inside", 0, {120, 900}},
        {"left monitor, last column", 0, {1919, 517}},
        {"left monitor, last row", 0, {733, 1199}},
        {"left monitor, last pixel", 0, {1919, 1199}},
        {"right monitor, first pixel", 0, {1920, 0}},
        {"right monitor, inside", 0, {2777, 613}},
        {"right monitor, last column", 0, {3839, 301}},
        {"right monitor, last row", 0, {2001, 1199}},
        {"right monitor, last pixel", 0, {3839, 1199}},
        {"second screen, first pixel", 1, {0, 0}},
        {"second screen, inside", 1, {641, 333}},
        {"second screen, last column", 1, {1279, 700}},
        {"second screen, last row", 1, {97, 1023}},
        {"second screen, last pixel", 1, {1279, 1023}},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.screen << row.pixel;
}

void tst_X11Pick::exactPixel()
{
    QFETCH(int, screen);
    QFETCH(QPoint, pixel);
    startPick();
    pickAt(screen, pixel.x(), pixel.y());
    const TColor expected = patternColor(screen, pixel.x(), pixel.y());
    QTRY_COMPARE(hex(m_chooser->color()), hex(expected));
    QTRY_COMPARE(probe(), Free);
}

void tst_X11Pick::loupe_data()
{
    QTest::addColumn<int>("screen");
    QTest::addColumn<QPoint>("pixel");  // where the pointer is put
    QTest::addColumn<bool>("ontoTheLoupe");  // and from there onto the loupe shown
    QTest::addColumn<QRect>("monitor");  // the pointer's, in device pixels
    QTest::addColumn<Qt::Corner>("corner");  // the loupe's corner nearest the pointer
    QTest::addColumn<QPoint>("cornerAt");  // where it is at this scale, or none (below)
    QTest::addColumn<int>("width");  // the loupe's, in device pixels
    // The loupe is 92 device-independent pixels wide (11 pixels 8 times
    // over, in a frame of 2), its nearer corner 24 across and 24 down or up
    // from the pointer: at 150 % 138 device pixels wide and 36 away. Where
    // the corner is given the pointer is a multiple of 6 device pixels from
    // its monitor's corner, so that it is on a whole device-independent
    // pixel at every scale. A corner on the right or at the bottom is the
    // edge past the loupe's last pixel.
    const QRect left(0, 0, 1920, 1200);
    const QRect right(1920, 0, 1920, 1200);
    const QRect second(0, 0, 1280, 1024);
    const struct {
        const char *name;
        int screen;
        QPoint pixel;
        bool ontoTheLoupe;
        QRect monitor;
        Qt::Corner corner;
        QPoint at100, at150, at200;
    } rows[] = {
        {"left monitor", 0, {120, 600}, false, left, Qt::TopLeftCorner, {144, 624}, {156, 636}, {168, 648}},
        {"right monitor, first column", 0, {1920, 6}, false, right, Qt::TopLeftCorner, {1944, 30}, {1956, 42},
         {1968, 54}},
        {"right monitor, ending on its last pixel", 0, {3838, 1199}, false, right, Qt::BottomRightCorner, {}, {}, {}},
        {"second screen", 1, {642, 336}, false, second, Qt::TopLeftCorner, {666, 360}, {678, 372}, {690, 384}},
        {"second screen, ending on its last pixel", 1, {1278, 1023}, false, second, Qt::BottomRightCorner, {}, {},
         {}},
        // As a tablet's pen or a flick lands: the loupe shows the screen, not itself.
        {"right monitor, jumping onto the loupe", 0, {2777, 613}, true, right, Qt::TopLeftCorner, {}, {}, {}},
        // At a right edge the loupe is on the pointer's left, at a bottom edge above it.
        {"left monitor, at its right edge", 0, {1896, 600}, false, left, Qt::TopRightCorner, {1872, 624},
         {1860, 636}, {1848, 648}},
        {"left monitor, at its bottom edge", 0, {600, 1170}, false, left, Qt::BottomLeftCorner, {624, 1146},
         {636, 1134}, {648, 1122}},
        {"right monitor, at its right edge", 0, {3780, 300}, false, right, Qt::TopRightCorner, {3756, 324},
         {3744, 336}, {3732, 348}},
        {"right monitor, at its bottom edge", 0, {2400, 1170}, false, right, Qt::BottomLeftCorner, {2424, 1146},
         {2436, 1134}, {2448, 1122}},
        {"right monitor, in its bottom right corner", 0, {3798, 1176}, false, right, Qt::BottomRightCorner,
         {3774, 1152}, {3762, 1140}, {3750, 1128}},
        {"second screen, at its right edge", 1, {1260, 504}, false, second, Qt::TopRightCorner, {1236, 528},
         {1224, 540}, {1212, 552}},
        {"second screen, in its bottom right corner", 1, {1254, 1002}, false, second, Qt::BottomRightCorner,
         {1230, 978}, {1218, 966}, {1206, 954}},
    };
    // The whole session at 100, 150 or 200 % (QT_SCALE_FACTOR, as CTest runs it).
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    const int at = qFuzzyCompare(scale, 1.5) ? 1 : qFuzzyCompare(scale, 2.0) ? 2 : 0;
    QVERIFY2(at > 0 || qFuzzyCompare(scale, 1.0), "a scale the rows do not give");
    for (const auto &row : rows)
        QTest::newRow(row.name) << row.screen << row.pixel << row.ontoTheLoupe << row.monitor << row.corner
                                << (at == 0 ? row.at100 : at == 1 ? row.at150 : row.at200)
                                << (at == 0 ? 92 : at == 1 ? 138 : 184);
}

void tst_X11Pick::loupe()
{
    QFETCH(int, screen);
    QFETCH(QPoint, pixel);
    QFETCH(bool, ontoTheLoupe);
    QFETCH(QRect, monitor);
    QFETCH(Qt::Corner, corner);
    QFETCH(QPoint, cornerAt);
    QFETCH(int, width);
    const auto shownLoupe = []() -> QWidget * {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("screenPickerLoupe") && widget->isVisible())
                return widget;
        return nullptr;
    };
    const auto loupeText = [&] {
        QWidget *loupe = shownLoupe();
        return loupe ? loupe->accessibleName() : QString();
    };
    startPick();
    m_session.xdotool({"mousemove", "--screen", QString::number(screen), QString::number(pixel.x()),
                       QString::number(pixel.y())});
    QTRY_COMPARE(loupeText(), hex(patternColor(screen, pixel.x(), pixel.y())));
    // Beside the pointer, all on its monitor, in device pixels as the X
    // server has the window. Qt sent the move before the text was set, and
    // the server answers this connection's requests in order.
    const QRect placed = serverGeometry(shownLoupe()->winId());
    QCOMPARE(placed.width(), width);
    QVERIFY2(monitor.contains(placed), qPrintable(describe(placed)));
    if (!cornerAt.isNull()) {
        const QPoint near = corner == Qt::TopLeftCorner    ? placed.topLeft()
                          : corner == Qt::TopRightCorner   ? QPoint(placed.x() + placed.width(), placed.y())
                          : corner == Qt::BottomLeftCorner ? QPoint(placed.x(), placed.y() + placed.height())
                                                           : placed.topLeft() + QPoint(placed.width(), placed.height());
        // Within a device pixel: at 150 % Qt rounds the top and the height apart.
        QVERIFY2(qAbs(near.x() - cornerAt.x()) <= 1 && qAbs(near.y() - cornerAt.y()) <= 1,
                 qPrintable(describe(placed)));
    }
    if (ontoTheLoupe) {
        pixel = placed.center();
        const TColor under = patternColor(screen, pixel.x(), pixel.y());
        QTRY_VERIFY2(m_session.screenshot().pixel(pixel) != qRgb(GetRValue(under), GetGValue(under), GetBValue(under)),
                     "the loupe is not painted there");
        m_session.xdotool({"mousemove", "--screen", QString::number(screen), QString::number(pixel.x()),
                           QString::number(pixel.y())});
        QTRY_COMPARE(loupeText(), hex(patternColor(screen, pixel.x(), pixel.y())));
    }
    // Each arrow key moves the pointer by one device pixel: one right in all.
    m_session.xdotool({"key", "Up", "Left", "Right", "Right", "Down"});
    const QPoint framed = pixel + QPoint(1, 0);
    QTRY_COMPARE(loupeText(), hex(patternColor(screen, framed.x(), framed.y())));
    QWidget *loupe = shownLoupe();

    // Magnified 8 times, the framed pixel in the middle and its neighbours
    // around it, where the loupe shows them.
    const QImage shown = loupe->grab().toImage();
    const qreal ratio = shown.devicePixelRatio();
    const auto block = [&](int dx, int dy) {
        const QPointF centre(2 + (5 + dx) * 8 + 4, 2 + (5 + dy) * 8 + 4);
        return hex([&] {
            const QColor c = shown.pixelColor((centre * ratio).toPoint());
            return MakeColor(c.red(), c.green(), c.blue());
        }());
    };
    QCOMPARE(block(0, 0), hex(patternColor(screen, framed.x(), framed.y())));
    QCOMPARE(block(-1, 0), hex(patternColor(screen, framed.x() - 1, framed.y())));
    QCOMPARE(block(0, -5), hex(patternColor(screen, framed.x(), framed.y() - 5)));
    // On the pointer's monitor, nowhere over the pixels it shows.
    const QRect device = serverGeometry(loupe->winId());
    QVERIFY2(monitor.contains(device), qPrintable(describe(device)));
    QVERIFY2(!device.intersects(QRect(framed - QPoint(5, 5), QSize(11, 11))), qPrintable(describe(device)));

    // Return takes the framed pixel, and the loupe goes.
    m_session.xdotool({"key", "Return"});
    QTRY_COMPARE(hex(m_chooser->color()), hex(patternColor(screen, framed.x(), framed.y())));
    QTRY_COMPARE(probe(), Free);
    QVERIFY(!shownLoupe());
}

void tst_X11Pick::heldPointerGrab()
{
    // Another program holds the pointer, as an open menu does.
    QProcess holder;
    holder.setProcessEnvironment(m_session.environment());
    QCOMPARE(startAndReadLine(holder, QStringLiteral(XCLIENT), {QStringLiteral("grab-pointer")}),
             QStringLiteral("grabbed 0"));
    QTest::mouseClick(m_pick, Qt::LeftButton);
    // The pick gives up and says why beside the button; it holds no keyboard.
    QLabel *message = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((message = [&]() -> QLabel * {
                                 for (QLabel *label : m_chooser->findChildren<QLabel *>())
                                     if (label->isVisible() && label->text() == HeldPointerMessage)
                                         return label;
                                 return nullptr;
                             }()),
                             5000);
    const QRect button(m_pick->mapTo(m_chooser.get(), QPoint(0, 0)), m_pick->size());
    const QRect beside(message->mapTo(m_chooser.get(), QPoint(0, 0)), message->size());
    QVERIFY(beside.left() >= button.right() && beside.top() < button.bottom() && beside.bottom() > button.top());
    QCOMPARE(probe(), QStringLiteral("pointer 1 keyboard 0"));
    QVERIFY(m_pick->isEnabled());

    // The other grab ends; typed keys reach the dialog, nothing is picked.
    holder.write("release\n");
    QVERIFY(holder.waitForReadyRead(5000));
    QCOMPARE(holder.readAll().trimmed(), QByteArray("released"));
    typeColor(QStringLiteral("#00FF00"));
    QTRY_COMPARE(m_chooser->findChild<QLineEdit *>(QStringLiteral("typedColor"))->text(), QStringLiteral("#00FF00"));
    QTRY_COMPARE(hex(m_chooser->color()), QStringLiteral("#00FF00"));

    // And a new pick works.
    startPick();
    pickAt(0, 2777, 613);
    QTRY_COMPARE(hex(m_chooser->color()), hex(patternColor(0, 2777, 613)));
    QTRY_COMPARE(probe(), Free);
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));
}

void tst_X11Pick::waysOut_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("right click") << "right click";
    QTest::newRow("chooser destroyed") << "destroyed";
    QTest::newRow("chooser closed by the window manager") << "window manager";
}

void tst_X11Pick::waysOut()
{
    QFETCH(QString, way);
    if (way == QLatin1String("window manager")) {
        QVERIFY2(m_session.startWindowManager(m_windowManager), "openbox did not come up");
        // The chooser that was there before it came, framed too.
        QTRY_VERIFY_WITH_TIMEOUT(m_chooser->frameGeometry().top() < m_chooser->geometry().top(), 15000);
        openChooser();  // framed from the start
        QTRY_VERIFY_WITH_TIMEOUT(m_chooser->frameGeometry().top() < m_chooser->geometry().top(), 15000);
    }
    const TColor before = m_chooser->color();
    startPick();
    m_session.xdotool({"mousemove", "2777", "613"});
    if (way == QLatin1String("Escape")) {
        m_session.xdotool({"key", "Escape"});
    } else if (way == QLatin1String("right click")) {
        m_session.xdotool({"click", "3"});
    } else if (way == QLatin1String("destroyed")) {
        m_chooser.reset();
    } else {
        const QString window = QString::number(m_chooser->winId());
        QCOMPARE(m_session.run(QStringLiteral(XCLIENT), {QStringLiteral("close"), window}), QStringLiteral("asked"));
        QTRY_VERIFY(!m_chooser->isVisible());
    }
    QTRY_COMPARE(probe(), Free);
    if (!m_chooser || !m_chooser->isVisible())
        return;
    QCOMPARE(hex(m_chooser->color()), hex(before));
    // The keyboard is the dialog's again.
    typeColor(QStringLiteral("#00FF00"));
    QTRY_COMPARE(hex(m_chooser->color()), QStringLiteral("#00FF00"));
}

void tst_X11Pick::terminated()
{
    // The real program, ended by SIGTERM in the middle of a pick.
    m_chooser->hide();
    m_chooser.reset();
    QProcess program;
    program.setProcessEnvironment(m_session.environment());
    program.start(QStringLiteral(TINTARO_EXE), QStringList());
    QVERIFY(program.waitForStarted(5000));
    const QString window = m_session.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tintaro$"}).section('\n', 0, 0);
    QVERIFY2(!window.isEmpty(), "no window titled Tintaro");
    m_session.xdotool({"mousemove", "--screen", "0", QString::number(123 + 240 + 37), QString::number(95 + 24 + 12),
                       "click", "1"});  // "ダイアログ"
    const QString chooser =
        m_session.xdotool({"search", "--sync", "--onlyvisible", "--name", QStringLiteral("^色の設定$")}).section('\n', 0, 0);
    QVERIFY2(!chooser.isEmpty(), "the chooser did not open");
    m_session.xdotool({"windowfocus", "--sync", chooser});
    m_session.xdotool({"key", "alt+p"});
    QTRY_COMPARE(probe(), Held);
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(probe(), Free);
}

int main(int argc, char **argv)
{
    TXSession session(Screens);
    if (!session.isReady()) {
        std::fputs("Xvfb or the session bus did not start\n", stderr);
        return 1;
    }
    session.enter();
    QApplication app(argc, argv);
    // Xvfb resets itself when its last client leaves, so the monitors and the
    // pattern are set once this program is connected; Qt follows the change.
    session.run(QStringLiteral("xrandr"), {"--screen", "0", "--setmonitor", "left", "1920/500x1200/310+0+0", "screen"});
    session.run(QStringLiteral("xrandr"), {"--screen", "0", "--setmonitor", "right", "1920/500x1200/310+1920+0", "none"});
    if (session.run(QStringLiteral(XCLIENT), {QStringLiteral("paint")}) != QLatin1String("painted")) {
        std::fputs("the screens could not be painted\n", stderr);
        return 1;
    }
    if (!QTest::qWaitFor([] { return QGuiApplication::screens().size() == 3; }, 10000)) {
        std::fprintf(stderr, "Qt sees %d screens, not 3\n", int(QGuiApplication::screens().size()));
        return 1;
    }
    tst_X11Pick test(session);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11pick.moc"
