// Writes Tintaro's protan and deutan simulation for the reference check, one
// colour a line: #RRGGBB, then the protan results at severities 0.0, 0.1,
// ..., 1.0 and the deutan results at the same, each as RRGGBB, tab-separated.
// The colours are the edges of the cube, the greys and primary ramps, and a
// fixed sample of the rest.
#include "cvd.h"
#include "samplecolours.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 100000;
    // The ramps between the primaries too, where the deficiencies confuse most.
    std::vector<TColor> ramps;
    for (int v = 0; v < 256; ++v)
        for (TColor c : {MakeColor(255, v, 0), MakeColor(0, 255, v), MakeColor(v, 0, 255)})
            ramps.push_back(c);
    for (TColor c : SampleColours(count, 20261210, ramps)) {
        std::printf("#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
        for (TCvdKind kind : {TCvdKind::Protan, TCvdKind::Deutan})
            for (int step = 0; step <= 10; ++step) {
                const TColor seen = SimulateCvd(c, kind, step / 10.0);
                std::printf("\t%02X%02X%02X", GetRValue(seen), GetGValue(seen), GetBValue(seen));
            }
        std::printf("\n");
    }
    return 0;
}
