#include "swatch.h"

#include "controls.h"
#include "nearest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

namespace {

QString ratioText(double ratio)
{
    return QString::number(ratio, 'f', 1) + QStringLiteral(":1");
}

// One access key per form, in the order of CopyTexts: #, hex, rgb, hsl,
// decimal, value, name.
constexpr char AccessKeys[] = "HXRLDVN";

} // namespace

QString SwatchDescription(TColor color)
{
    const TNameText name = NameText(color);
    QString text = ToHtmlText(color) + (name.Exact ? QStringLiteral(" ") : QStringLiteral(" · "))
        + QString::fromStdString(name.Text);
    text += QStringLiteral(" · 白 ") + ratioText(ContrastRatio(color, MakeColor(255, 255, 255)));
    text += QStringLiteral(" · 黒 ") + ratioText(ContrastRatio(color, MakeColor(0, 0, 0)));
    return text;
}

QStringList CopyTexts(TColor color)
{
    const QString html = ToHtmlText(color);
    QStringList texts = {html,
                         html.mid(1),
                         QString::fromStdString(ColorToRgbText(color)),
                         QString::fromStdString(ColorToHslText(color)),
                         QString::fromStdString(ColorToDecimalText(color)),
                         QString::fromStdString(ColorToValueText(color))};
    if (const auto name = NameForColor(color))
        texts << QString::fromUtf8(*name);
    return texts;
}

void ExecCopyMenu(TColor color, const QPoint &globalPos, QWidget *parent)
{
    QMenu menu(parent);
    // The window's font for the whole item: a popup takes none from its
    // parent, and the application's would draw the digits in one face and
    // the Japanese in another.
    menu.setFont(parent->window()->font());
    menu.setAccessibleName(QStringLiteral("コピー"));
    const QStringList texts = CopyTexts(color);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString text = texts[i];
        // No form or name holds an "&", so the item shows the text as it is.
        QAction *item = menu.addAction(QStringLiteral("%1をコピー(&%2)").arg(text, QString(QLatin1Char(AccessKeys[i]))));
        QObject::connect(item, &QAction::triggered, &menu,
                         [text] { QGuiApplication::clipboard()->setText(text); });
    }
    menu.exec(globalPos);
}

void GiveSwatchFeatures(TPanel *panel)
{
    panel->setFeatures(SwatchDescription, ExecCopyMenu);
}
