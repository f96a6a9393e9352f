// The chooser's colour model: the red, green and blue components stay the
// truth while their hue, saturation and lightness are shown and edited.
#include "choosermodel.h"

#include <QColor>
#include <QTest>

#include <cstdlib>

class tst_ChooserModel : public QObject
{
    Q_OBJECT

private slots:
    void everyColourKeepsItsRgbWhileItsHslIsShown();
    void hslEditsFollowCss();
};

void tst_ChooserModel::everyColourKeepsItsRgbWhileItsHslIsShown()
{
    TChooserModel colour;
    for (TColor color = 0; color < 1 << 24; ++color) {
        colour.setColor(color);
        const THsl hsl = colour.hsl();
        // The numbers shown, handed back as the boxes and the field hold them.
        colour.setHsl(hsl);
        colour.pickValue(colour.hsv().Value);
        if (colour.color() != color || hsl.Hue < 0 || hsl.Hue > 359 || hsl.Saturation < 0
            || hsl.Saturation > 100 || hsl.Lightness < 0 || hsl.Lightness > 100)
            QFAIL(qPrintable(QStringLiteral("%1 became %2 (hsl %3 %4 %5)")
                                 .arg(color, 6, 16, QLatin1Char('0')).arg(colour.color(), 6, 16, QLatin1Char('0'))
                                 .arg(hsl.Hue).arg(hsl.Saturation).arg(hsl.Lightness)));
    }
}

void tst_ChooserModel::hslEditsFollowCss()
{
    // Every hue, saturation and lightness against QColor's conversion, whose
    // 16-bit channels may round a half the other way: one step at most.
    TChooserModel colour;
    for (int hue = 0; hue < 360; ++hue)
        for (int saturation = 0; saturation <= 100; ++saturation)
            for (int lightness = 0; lightness <= 100; ++lightness) {
                colour.setHsl({hue, saturation, lightness});
                const QColor css = QColor::fromHslF(hue / 360.0f, saturation / 100.0f, lightness / 100.0f);
                const TColor got = colour.color();
                if (std::abs(GetRValue(got) - css.red()) > 1 || std::abs(GetGValue(got) - css.green()) > 1
                    || std::abs(GetBValue(got) - css.blue()) > 1)
                    QFAIL(qPrintable(QStringLiteral("hsl(%1, %2%, %3%) gave %4, not %5").arg(hue).arg(saturation)
                                         .arg(lightness).arg(QString::fromStdString(ColorToHtml(got)), css.name())));
                const THsl shown = colour.hsl();
                if (shown.Hue != hue || shown.Saturation != saturation || shown.Lightness != lightness)
                    QFAIL("the boxes do not keep what was typed");
            }
}

QTEST_APPLESS_MAIN(tst_ChooserModel)
#include "tst_choosermodel.moc"
