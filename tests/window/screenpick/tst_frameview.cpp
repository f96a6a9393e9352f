// The pixel under a point of the overlay, and its colour, for every way a
// compositor may hand a frozen frame over. Every expected value is worked
// out by hand from the buffer's layout in the row's name.
#include "frameview.h"

#include <QTest>

#include <array>

Q_DECLARE_METATYPE(TFrameView)

class tst_FrameView : public QObject
{
    Q_OBJECT

private slots:
    void tenBits_data();
    void tenBits();
    void pixelColour_data();
    void pixelColour();
    void readableFrame_data();
    void readableFrame();
    void pixelUnderPoint_data();
    void pixelUnderPoint();
    void shownCorners_data();
    void shownCorners();
    void bufferTransform_data();
    void bufferTransform();
};

void tst_FrameView::tenBits_data()
{
    QTest::addColumn<uint>("value");
    QTest::addColumn<int>("eight");
    QTest::newRow("zero") << 0u << 0;
    QTest::newRow("1: 0.249") << 1u << 0;
    QTest::newRow("2: 0.499") << 2u << 0;
    QTest::newRow("3: 0.748 rounds up") << 3u << 1;
    QTest::newRow("511: 127.375") << 511u << 127;
    QTest::newRow("512: 127.625 rounds up") << 512u << 128;
    QTest::newRow("513: 127.874 rounds up") << 513u << 128;
    QTest::newRow("514: 128.123") << 514u << 128;
    QTest::newRow("1022: 254.75 rounds up") << 1022u << 255;
    QTest::newRow("1023: full") << 1023u << 255;
}

void tst_FrameView::tenBits()
{
    QFETCH(uint, value);
    QFETCH(int, eight);
    QCOMPARE(TenBitsToEight(value), eight);
}

void tst_FrameView::pixelColour_data()
{
    QTest::addColumn<uint>("format");
    QTest::addColumn<QByteArray>("bytes");  // in memory order
    QTest::addColumn<QString>("html");
    const auto bytes = [](std::array<unsigned char, 4> b) { return QByteArray(reinterpret_cast<const char *>(b.data()), 4); };
    QTest::newRow("XRGB8888: blue, green, red, unused") << uint(ShmFormat::Xrgb8888) << bytes({0x33, 0x22, 0x11, 0x00}) << "#112233";
    QTest::newRow("ARGB8888: blue, green, red, alpha") << uint(ShmFormat::Argb8888) << bytes({0x33, 0x22, 0x11, 0xff}) << "#112233";
    QTest::newRow("XBGR8888: red, green, blue, unused") << uint(ShmFormat::Xbgr8888) << bytes({0x11, 0x22, 0x33, 0x00}) << "#112233";
    QTest::newRow("ABGR8888: red, green, blue, alpha") << uint(ShmFormat::Abgr8888) << bytes({0x11, 0x22, 0x33, 0x80}) << "#112233";
    // Red 1023, green 512, blue 3: the word 0x3FF80003, red in the top ten bits.
    QTest::newRow("XRGB2101010: 1023, 512, 3") << uint(ShmFormat::Xrgb2101010) << bytes({0x03, 0x00, 0xf8, 0x3f}) << "#FF8001";
    QTest::newRow("ARGB2101010: 1023, 512, 3, alpha 3") << uint(ShmFormat::Argb2101010) << bytes({0x03, 0x00, 0xf8, 0xff}) << "#FF8001";
    // The same colour with blue on top: the word 0x003803FF.
    QTest::newRow("XBGR2101010: 1023, 512, 3") << uint(ShmFormat::Xbgr2101010) << bytes({0xff, 0x03, 0x38, 0x00}) << "#FF8001";
    QTest::newRow("ABGR2101010: 1023, 512, 3, alpha 3") << uint(ShmFormat::Abgr2101010) << bytes({0xff, 0x03, 0x38, 0xc0}) << "#FF8001";
    // Red 511, green 2, blue 1022: 0x1FF00BFE.
    QTest::newRow("XRGB2101010: 511, 2, 1022") << uint(ShmFormat::Xrgb2101010) << bytes({0xfe, 0x0b, 0xf0, 0x1f}) << "#7F00FF";
}

void tst_FrameView::pixelColour()
{
    QFETCH(uint, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, html);
    QVERIFY(IsReadableFormat(format));
    const TColor colour = PixelColour(format, reinterpret_cast<const unsigned char *>(bytes.constData()));
    QCOMPARE(QString::fromStdString(ColorToHtml(colour)), html);
}

void tst_FrameView::readableFrame_data()
{
    // As a compositor describes a frame: every field a 32-bit unsigned word.
    QTest::addColumn<uint>("format");
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("height");
    QTest::addColumn<qulonglong>("stride");
    QTest::addColumn<bool>("readable");
    const uint xrgb = ShmFormat::Xrgb8888;
    QTest::newRow("3840 x 2160, rows of 15360 bytes") << xrgb << 3840u << 2160u << 15360ull << true;
    QTest::newRow("rows padded to 16384 bytes") << xrgb << 3840u << 2160u << 16384ull << true;
    QTest::newRow("16384 a side, rows of 65536 bytes") << xrgb << 16384u << 16384u << 65536ull << true;
    QTest::newRow("one pixel") << uint(ShmFormat::Xbgr2101010) << 1u << 1u << 4ull << true;
    QTest::newRow("rows a byte short") << xrgb << 3840u << 2160u << 15359ull << false;
    QTest::newRow("rows longer than 65536 bytes") << xrgb << 100u << 100u << 65540ull << false;
    QTest::newRow("16385 wide") << xrgb << 16385u << 100u << 65540ull << false;
    QTest::newRow("16385 high") << xrgb << 100u << 16385u << 400ull << false;
    QTest::newRow("no rows") << xrgb << 100u << 0u << 400ull << false;
    QTest::newRow("no columns") << xrgb << 0u << 100u << 0ull << false;
    QTest::newRow("width 0xFFFFFFFF") << xrgb << 0xFFFFFFFFu << 1u << 0x3FFFFFFFCull << false;
    QTest::newRow("RGB565, two bytes a pixel") << 0x36314752u << 100u << 100u << 200ull << false;
}

void tst_FrameView::readableFrame()
{
    QFETCH(uint, format);
    QFETCH(uint, width);
    QFETCH(uint, height);
    QFETCH(qulonglong, stride);
    QFETCH(bool, readable);
    QCOMPARE(IsReadableFrame(format, width, height, stride), readable);
}

void tst_FrameView::pixelUnderPoint_data()
{
    QTest::addColumn<TFrameView>("view");
    QTest::addColumn<QPointF>("surface");
    QTest::addColumn<QPoint>("buffer");
    const QSizeF wide(4, 2);
    const QSizeF tall(2, 4);
    QTest::newRow("scale 1") << TFrameView{{4, 2}, 0, false, wide} << QPointF(2.5, 1.5) << QPoint(2, 1);
    QTest::newRow("scale 1, right and bottom edge") << TFrameView{{4, 2}, 0, false, wide} << QPointF(4, 2) << QPoint(3, 1);
    QTest::newRow("scale 1, left of the output") << TFrameView{{4, 2}, 0, false, wide} << QPointF(-1, -1) << QPoint(0, 0);
    QTest::newRow("scale 2, last column and row") << TFrameView{{8, 4}, 0, false, wide} << QPointF(3.9, 1.9) << QPoint(7, 3);
    QTest::newRow("scale 2, just short of a device pixel") << TFrameView{{8, 4}, 0, false, wide} << QPointF(1.49, 0.74) << QPoint(2, 1);
    QTest::newRow("scale 2, first device pixel of a unit") << TFrameView{{8, 4}, 0, false, wide} << QPointF(1.5, 0.5) << QPoint(3, 1);
    QTest::newRow("scale 1.5, 1.5 device pixels a unit") << TFrameView{{6, 3}, 0, false, wide} << QPointF(1.0, 0.7) << QPoint(1, 1);
    QTest::newRow("scale 1.5, last column and row") << TFrameView{{6, 3}, 0, false, wide} << QPointF(3.99, 1.99) << QPoint(5, 2);
    // A quarter turn: the buffer's top-left pixel shows at the top right.
    QTest::newRow("90, top right is the buffer's first") << TFrameView{{4, 2}, 1, false, tall} << QPointF(1.5, 0.5) << QPoint(0, 0);
    QTest::newRow("90, top left is the buffer's bottom left") << TFrameView{{4, 2}, 1, false, tall} << QPointF(0.5, 0.5) << QPoint(0, 1);
    QTest::newRow("90, bottom left is the buffer's last") << TFrameView{{4, 2}, 1, false, tall} << QPointF(0.5, 3.5) << QPoint(3, 1);
    QTest::newRow("90 at scale 2, top right") << TFrameView{{8, 4}, 1, false, tall} << QPointF(1.9, 0.1) << QPoint(0, 0);
    QTest::newRow("90 at scale 2, bottom left") << TFrameView{{8, 4}, 1, false, tall} << QPointF(0.1, 3.9) << QPoint(7, 3);
    QTest::newRow("180, top left is the buffer's last") << TFrameView{{4, 2}, 2, false, wide} << QPointF(0.5, 0.5) << QPoint(3, 1);
    QTest::newRow("270, top left is the buffer's top right") << TFrameView{{4, 2}, 3, false, tall} << QPointF(0.5, 0.5) << QPoint(3, 0);
    QTest::newRow("flipped, top left is the buffer's top right") << TFrameView{{4, 2}, 4, false, wide} << QPointF(0.5, 0.5) << QPoint(3, 0);
    QTest::newRow("y-inverted, top row is the buffer's last") << TFrameView{{4, 2}, 0, true, wide} << QPointF(1.5, 0.5) << QPoint(1, 1);
    QTest::newRow("y-inverted at 90, top right") << TFrameView{{4, 2}, 1, true, tall} << QPointF(1.5, 0.5) << QPoint(0, 1);
}

void tst_FrameView::pixelUnderPoint()
{
    QFETCH(TFrameView, view);
    QFETCH(QPointF, surface);
    QFETCH(QPoint, buffer);
    QCOMPARE(view.bufferPixelOf(view.shownPixelAt(surface)), std::optional<QPoint>(buffer));
}

void tst_FrameView::shownCorners_data()
{
    QTest::addColumn<TFrameView>("view");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QPoint>("centreOfLast");  // in surface units times 4
    QTest::newRow("scale 2") << TFrameView{{8, 4}, 0, false, {4, 2}} << QSize(8, 4) << QPoint(15, 7);
    QTest::newRow("90 at scale 2") << TFrameView{{8, 4}, 1, false, {2, 4}} << QSize(4, 8) << QPoint(7, 15);
}

void tst_FrameView::shownCorners()
{
    QFETCH(TFrameView, view);
    QFETCH(QSize, shown);
    QFETCH(QPoint, centreOfLast);
    QCOMPARE(view.shownSize(), shown);
    const QPointF centre = view.surfacePointOf({shown.width() - 1, shown.height() - 1});
    QCOMPARE(centre * 4, QPointF(centreOfLast));
    QCOMPARE(view.bufferPixelOf({shown.width(), 0}), std::nullopt);
}

void tst_FrameView::bufferTransform_data()
{
    QTest::addColumn<TFrameView>("view");
    QTest::addColumn<int>("transform");
    QTest::newRow("upright keeps the output's") << TFrameView{{4, 2}, 1, false, {2, 4}} << 1;
    QTest::newRow("y-inverted: flipped 180") << TFrameView{{4, 2}, 0, true, {4, 2}} << 6;
    QTest::newRow("y-inverted at 90: flipped 90") << TFrameView{{4, 2}, 1, true, {2, 4}} << 5;
}

void tst_FrameView::bufferTransform()
{
    QFETCH(TFrameView, view);
    QFETCH(int, transform);
    QCOMPARE(view.bufferTransform(), transform);
}

QTEST_APPLESS_MAIN(tst_FrameView)

#include "tst_frameview.moc"
