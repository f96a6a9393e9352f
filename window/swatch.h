// What a swatch offers beyond its fill: a description of its colour (the
// tooltip, and what an assistive technology reads), a menu that copies the
// colour in the text forms web pages use, and the window's Ctrl+C, which
// copies the mix. Everything is computed when it is asked for, never when
// a slider moves.
#pragma once

#include "colour.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

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

/// Copying the mix from anywhere in the window. Ctrl+C copies the large
/// swatch's "#RRGGBB", unless the focused edit box or any read-out has
/// selected text, which is copied as usual (the list, too, would copy its
/// row's name otherwise). The context-menu key (Menu, Shift+F10) on a control with no
/// menu of its own opens the large swatch's copy menu, since the swatch
/// itself takes no focus.
class TMixCopy : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMixCopy)

public:
    /// Watches the window and every widget in it; the mix is the large swatch.
    TMixCopy(QWidget *window, TPanel *mix);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<QString> selectedReadout() const;

    QWidget *m_window;
    TPanel *m_mix;
};
