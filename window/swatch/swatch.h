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

/// The colour, its name or the nearest named colour by CIEDE2000, and the
/// WCAG 2 contrast against white and black text, each rounded to one
/// decimal: "#FFC800 · 近い色 gold (ΔE 5.0) · 白 1.6:1 · 黒 13.5:1", or with
/// an exact name "#FFD700 gold · 白 1.4:1 · 黒 15.0:1".
QString SwatchDescription(TColor color);

/// The texts the copy menu offers, in its order: "#FFC800", "FFC800",
/// "rgb(255, 200, 0)", "hsl(47, 100%, 50%)", the decimal text, the "$"
/// colour-value text and, when the colour has one, its name.
QStringList CopyTexts(TColor color);

/// Opens the copy menu at a point on the screen and waits until it closes;
/// the chosen item puts its text on the clipboard.
void ExecCopyMenu(TColor color, const QPoint &globalPos, QWidget *parent);

/// Gives the panel its description and its copy menu.
void GiveSwatchFeatures(TPanel *panel);
