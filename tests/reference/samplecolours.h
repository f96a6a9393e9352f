// The colours the reference checks run over: the edges of the cube, the greys
// and the primary ramps, the caller's own, and then colours drawn from a
// fixed seed until there are `count`.
#pragma once

#include "colour.h"

#include <cstdint>
#include <random>
#include <set>
#include <vector>

inline std::vector<TColor> SampleColours(std::size_t count, std::uint32_t seed, const std::vector<TColor> &own)
{
    std::set<TColor> colours(own.begin(), own.end());
    const int edges[] = {0, 1, 2, 127, 128, 253, 254, 255};
    for (int r : edges)
        for (int g : edges)
            for (int b : edges)
                colours.insert(MakeColor(r, g, b));
    for (int v = 0; v < 256; ++v)
        for (TColor c : {MakeColor(v, v, v), MakeColor(v, 0, 0), MakeColor(0, v, 0), MakeColor(0, 0, v)})
            colours.insert(c);
    std::mt19937 random(seed);
    while (colours.size() < count)
        colours.insert(TColor(random() & 0xFFFFFF));
    return {colours.begin(), colours.end()};
}
