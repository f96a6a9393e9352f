#include "iccengine.h"

namespace {

constexpr double Fixed = 65536;
constexpr TMatrix3 Primaries = {0x6FA2 / Fixed, 0x6299 / Fixed, 0x24A0 / Fixed, 0x38F5 / Fixed, 0xB785 / Fixed,
                                0x0F84 / Fixed, 0x0390 / Fixed, 0x18DA / Fixed, 0xB6CF / Fixed};
constexpr TMatrix3 Bradford = {0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
constexpr TVec3 From = Bradford * TVec3{0.3127 / 0.3290, 1, (1 - 0.3127 - 0.3290) / 0.3290};
constexpr TVec3 To = Bradford * TVec3{0.96422, 1, 0.82521};
constexpr TMatrix3 ToLinear = Inverse(Primaries);
constexpr TMatrix3 Adapt = Diagonal({To.X / From.X, To.Y / From.Y, To.Z / From.Z});
constexpr TMatrix3 FromXyzD65 = ToLinear * (Inverse(Bradford) * (Adapt * Bradford));
// CSS takes D50 by its four-figure chromaticity; the engine by X and Z.
constexpr TMatrix3 FromXyzD50 =
    ToLinear * Diagonal({0.9642 / (0.3457 / 0.3585), 1, 0.8251 / ((1 - 0.3457 - 0.3585) / 0.3585)});

} // namespace

TVec3 IccEngineLinearOfXyzD65(const TVec3 &xyz) { return FromXyzD65 * xyz; }
TVec3 IccEngineLinearOfLabXyzD50(const TVec3 &xyz) { return FromXyzD50 * xyz; }
