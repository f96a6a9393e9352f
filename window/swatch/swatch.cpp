#include "swatch.h"

#include "contrast.h"
#include "controls.h"
#include "csstext.h"
#include "nearest.h"
#include "textpair.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

namespace {

const TColor White = MakeColor(255, 255, 255);
const TColor Black = MakeColor(0, 0, 0);

QString verdictText(bool pass)
{
    return pass ? QStringLiteral("合格") : QStringLiteral("不合格");
}

// "白 4.47:1（AA 不合格、AAA 不合格、大きな文字 AA 合格、AAA 不合格）"
QString contrastText(const QString &against, TColor color, TColor text)
{
    const double ratio = ContrastRatio(color, text);
    const TWcagVerdict verdict = WcagVerdict(ratio);
    return QStringLiteral("%1 %2（AA %3、AAA %4、大きな文字 AA %5、AAA %6）")
        .arg(against, QString::fromStdString(CutRatioText(ratio)), verdictText(verdict.AA), verdictText(verdict.AAA),
             verdictText(verdict.LargeAA), verdictText(verdict.LargeAAA));
}

QString lcText(double lc)
{
    return QString::number(lc, 'f', 1);
}

// One access key per form, in the order of CopyTexts: #, hex, rgb, hsl,
// decimal, value, name; hwb, lab, lch, oklab, oklch; the colours that pass
// AA under white and under black text.
constexpr char AccessKeys[] = "HXRLDVNBACOKPQ";
constexpr int NameIndex = 6;
constexpr int FirstCss4Index = 7;
constexpr int FirstPassingIndex = 12;

} // namespace

QString SwatchDescription(TColor color)
{
    const TNameText name = NameText(color);
    QString text = ToHtmlText(color) + (name.Exact ? QStringLiteral(" ") : QStringLiteral(" · "))
        + QString::fromStdString(name.Text);
    text += QStringLiteral(" · ") + contrastText(QStringLiteral("白"), color, White);
    text += QStringLiteral(" · ") + contrastText(QStringLiteral("黒"), color, Black);
    text += QStringLiteral(" · WCAG 3 草案の APCA Lc 白 %1、黒 %2")
                .arg(lcText(ApcaContrast(White, color)), lcText(ApcaContrast(Black, color)));
    if (const auto passing = NearestPassingAA(color, White))
        text += QStringLiteral(" · 白の文字で AA を満たす近い色 ") + ToHtmlText(*passing);
    if (const auto passing = NearestPassingAA(color, Black))
        text += QStringLiteral(" · 黒の文字で AA を満たす近い色 ") + ToHtmlText(*passing);
    text += QStringLiteral(" · 見え方");
    for (const TVision vision : {TVision::Protanopia, TVision::Deuteranopia, TVision::Tritanopia})
        text += (vision == TVision::Protanopia ? QStringLiteral(" ") : QStringLiteral("、"))
            + QString::fromUtf8(VisionName(vision).data(), qsizetype(VisionName(vision).size())) + QStringLiteral(" ")
            + ToHtmlText(SeenWith(color, vision, 1));
    return text;
}

QList<TCopyText> CopyTexts(TColor color)
{
    const QString html = ToHtmlText(color);
    QList<TCopyText> texts = {{html, 0},
                              {html.mid(1), 1},
                              {QString::fromStdString(ColorToRgbText(color)), 2},
                              {QString::fromStdString(ColorToCssHsl(color)), 3},
                              {QString::fromStdString(ColorToDecimalText(color)), 4},
                              {QString::fromStdString(ColorToValueText(color)), 5}};
    // A name that CSS does not know would not work in a page.
    if (const auto name = NameForColor(color); name && IsCssName(*name))
        texts.push_back({QString::fromUtf8(*name), NameIndex});
    std::string (*const css4[])(TColor) = {ColorToCssHwb, ColorToCssLab, ColorToCssLch, ColorToCssOklab,
                                           ColorToCssOklch};
    for (int i = 0; i < 5; ++i)
        texts.push_back({QString::fromStdString(css4[i](color)), FirstCss4Index + i});
    if (const auto passing = NearestPassingAA(color, White))
        texts.push_back({ToHtmlText(*passing), FirstPassingIndex});
    if (const auto passing = NearestPassingAA(color, Black))
        texts.push_back({ToHtmlText(*passing), FirstPassingIndex + 1});
    return texts;
}

QString CopyItemText(const TCopyText &text)
{
    // No form or name holds an "&", so the item shows the text as it is.
    QString why;
    if (text.Form == FirstPassingIndex)
        why = QStringLiteral("（白の文字で AA を満たす近い色）");
    else if (text.Form == FirstPassingIndex + 1)
        why = QStringLiteral("（黒の文字で AA を満たす近い色）");
    return QStringLiteral("%1をコピー%2(&%3)").arg(text.Text, why, QString(QLatin1Char(AccessKeys[text.Form])));
}

void ExecCopyMenu(TColor color, const QPoint &globalPos, QWidget *parent)
{
    QMenu menu(parent);
    // The window's font for the whole item: a popup takes none from its
    // parent, and the application's would draw the digits in one face and
    // the Japanese in another.
    menu.setFont(parent->window()->font());
    menu.setAccessibleName(QStringLiteral("コピー"));
    int group = 0;
    for (const TCopyText &text : CopyTexts(color)) {
        // The CSS Color 4 forms and the passing colours each in a group of
        // their own.
        const int next = text.Form >= FirstPassingIndex ? 2 : text.Form >= FirstCss4Index ? 1 : 0;
        if (next != group)
            menu.addSeparator();
        group = next;
        const QString copied = text.Text;
        QAction *item = menu.addAction(CopyItemText(text));
        QObject::connect(item, &QAction::triggered, &menu,
                         [copied] { QGuiApplication::clipboard()->setText(copied); });
    }
    menu.exec(globalPos);
}

void GiveSwatchFeatures(TPanel *panel)
{
    panel->setFeatures(SwatchDescription, ExecCopyMenu);
}
