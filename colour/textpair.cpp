#include "textpair.h"

#include "cvd.h"
#include "nearest.h"

std::string_view VisionName(TVision vision)
{
    switch (vision) {
    case TVision::Normal: return "通常の色覚";
    case TVision::Protanopia: return "1型2色覚（P型）";
    case TVision::Deuteranopia: return "2型2色覚（D型）";
    case TVision::Tritanopia: return "3型2色覚（T型）";
    case TVision::Achromatopsia: return "1色覚";
    case TVision::Protanomaly: return "1型3色覚（P型）";
    case TVision::Deuteranomaly: return "2型3色覚（D型）";
    case TVision::Tritanomaly: return "3型3色覚（T型）";
    }
    return {};
}

bool VisionHasSeverity(TVision vision)
{
    return vision == TVision::Protanomaly || vision == TVision::Deuteranomaly || vision == TVision::Tritanomaly;
}

TColor SeenWith(TColor color, TVision vision, double severity)
{
    switch (vision) {
    case TVision::Normal: return color;
    case TVision::Protanopia: return SimulateDichromacy(color, TCvdKind::Protan);
    case TVision::Deuteranopia: return SimulateDichromacy(color, TCvdKind::Deutan);
    case TVision::Tritanopia: return SimulateDichromacy(color, TCvdKind::Tritan);
    case TVision::Achromatopsia: return SimulateAchromatopsia(color);
    case TVision::Protanomaly: return SimulateCvd(color, TCvdKind::Protan, severity);
    case TVision::Deuteranomaly: return SimulateCvd(color, TCvdKind::Deutan, severity);
    case TVision::Tritanomaly: return SimulateCvd(color, TCvdKind::Tritan, severity);
    }
    return color;
}

TPairFigures PairContrast(TColor text, TColor background)
{
    TPairFigures figures;
    figures.Ratio = ContrastRatio(text, background);
    figures.Verdict = WcagVerdict(figures.Ratio);
    // Non-text contrast asks 3:1, the same bar as large text's AA.
    figures.NonText = figures.Verdict.LargeAA;
    figures.Lc = ApcaContrast(text, background);
    return figures;
}

TPairFigures PairFigures(TColor text, TColor background)
{
    TPairFigures figures = PairContrast(text, background);
    if (!figures.Verdict.AA) {
        figures.NearestText = NearestPassingAA(text, background);
        figures.NearestBackground = NearestPassingAA(background, text);
    }
    return figures;
}
