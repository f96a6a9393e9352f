#include "swatch.h"

#include "contrast.h"
#include "controls.h"
#include "copyforms.h"
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
    QList<TCopyText> texts;
    for (int form = 0; form < int(CopyForms.size()); ++form)
        if (const auto text = CopyForms[std::size_t(form)].Text(color))
            texts.push_back({QString::fromStdString(*text), form});
    return texts;
}

QString CopyItemText(const TCopyText &text)
{
    // No form or name holds an "&", so the item shows the text as it is.
    const TCopyForm &form = CopyForms[std::size_t(text.Form)];
    const QString why = form.Why.empty() ? QString() : QStringLiteral("（%1）").arg(QString::fromUtf8(form.Why));
    return QStringLiteral("%1をコピー%2(&%3)").arg(text.Text, why, QString(QLatin1Char(form.AccessKey)));
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
        const int next = CopyForms[std::size_t(text.Form)].Group;
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
