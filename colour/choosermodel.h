// The chooser's current colour and the numbers its controls show of it. The
// red, green and blue components are the truth: the hue, saturation and
// lightness boxes and the field's hue, saturation and brightness are derived
// from them, and only an edit of one of those numbers recomputes the
// components, so showing a colour never moves it. Plain C++, no widgets, so
// every colour can be checked quickly.
#pragma once

#include "colour.h"

/// Hue, saturation and brightness as the field and the bar show them: hue
/// 0 .. 359 degrees, saturation and value 0 .. 255.
struct THsv
{
    int Hue;
    int Saturation;
    int Value;

    friend bool operator==(const THsv &, const THsv &) = default;
};

class TChooserModel
{
public:
    TColor color() const { return m_color; }
    /// CSS hsl() units, as ColorToHsl gives them or as the user typed them.
    THsl hsl() const { return m_hsl; }
    THsv hsv() const { return m_hsv; }

    /// Red, green and blue set as they stand (top byte dropped). A grey keeps
    /// the field's hue, and black its saturation too, so the cross stays put.
    void setColor(TColor color);

    /// An edit of the hue, saturation or lightness box. The numbers already
    /// shown change nothing; others are kept as typed and give the colour.
    void setHsl(THsl hsl);

    /// A pick in the hue and saturation field. At black the brightness also
    /// goes to full, or the pick would show nothing.
    void pickHueSaturation(int hue, int saturation);

    /// A pick on the brightness bar.
    void pickValue(int value);

    /// The field's numbers of a colour, and a colour from them.
    static THsv ColorToHsv(TColor color);
    static TColor HsvToColor(const THsv &hsv);

private:
    void setHsv(const THsv &hsv);

    TColor m_color = 0;
    THsl m_hsl{0, 0, 0};
    THsv m_hsv{0, 0, 0};
};
