// What a swatch offers beyond its fill: a description of its colour (the
// tooltip, and what an assistive technology reads) and a menu that copies
// the colour in the text forms web pages use. Everything is computed when it
// is asked for, never when a slider moves.
#pragma once

#include "colour.h"

#include <QList>
#include <QString>

class QPoint;
class QWidget;
class TPanel;

/// The colour, its name or the nearest named colour by CIEDE2000, the WCAG 2
/// contrast against white and black text cut to two decimals with the WCAG
/// 2.2 verdicts, the APCA Lc of the WCAG 3 draft, and where AA fails the
/// nearest colour that passes: "#808080 gray · 白 3.94:1（AA 不合格、AAA
/// 不合格、大きな文字 AA 合格、AAA 不合格） · 黒 5.31:1（…） · WCAG 3 草案の
/// APCA Lc 白 -72.4、黒 37.2 · 白の文字で AA を満たす近い色 #767676".
QString SwatchDescription(TColor color);

/// One text the copy menu offers and which form it is: its row of
/// CopyForms (0 .. 13), which gives it its access key.
struct TCopyText
{
    QString Text;
    int Form;
};

/// The texts the copy menu offers, in the order of CopyForms: "#FFC800",
/// "FFC800", "rgb(255, 200, 0)", hsl(), the decimal text, the "$"
/// colour-value text, the name when CSS knows it; hwb(), lab(), lch(),
/// oklab(), oklch(), each with the fewest decimals that read back as the
/// colour; and the nearest colours that pass AA under white and under black
/// text where the colour itself fails.
QList<TCopyText> CopyTexts(TColor color);

/// The menu item of a text: the text, what it is when that is not plain,
/// and its access key: "#FFC800をコピー(&H)".
QString CopyItemText(const TCopyText &text);

/// Opens the copy menu at a point on the screen and waits until it closes;
/// the chosen item puts its text on the clipboard.
void ExecCopyMenu(TColor color, const QPoint &globalPos, QWidget *parent);

/// Gives the panel its description and its copy menu.
void GiveSwatchFeatures(TPanel *panel);
