// Three components and the 3x3 matrices between colour spaces: the one
// product every conversion uses.
#pragma once

#include <array>
#include <cstddef>

/// Three components of one colour space, in that space's own units.
struct TVec3
{
    double X;
    double Y;
    double Z;
};

/// A 3x3 matrix, row by row.
using TMatrix3 = std::array<double, 9>;

/// The matrix times the column vector, each row summed left to right.
constexpr TVec3 operator*(const TMatrix3 &m, const TVec3 &v)
{
    return {m[0] * v.X + m[1] * v.Y + m[2] * v.Z, m[3] * v.X + m[4] * v.Y + m[5] * v.Z,
            m[6] * v.X + m[7] * v.Y + m[8] * v.Z};
}

/// The product a b: applying it is applying b, then a.
constexpr TMatrix3 operator*(const TMatrix3 &a, const TMatrix3 &b)
{
    TMatrix3 m{};
    for (std::size_t row = 0; row < 3; ++row)
        for (std::size_t column = 0; column < 3; ++column)
            for (std::size_t k = 0; k < 3; ++k)
                m[row * 3 + column] += a[row * 3 + k] * b[k * 3 + column];
    return m;
}

/// The inverse by cofactors; the matrix must not be singular.
constexpr TMatrix3 Inverse(const TMatrix3 &m)
{
    const double c00 = m[4] * m[8] - m[5] * m[7];
    const double c01 = m[5] * m[6] - m[3] * m[8];
    const double c02 = m[3] * m[7] - m[4] * m[6];
    const double determinant = m[0] * c00 + m[1] * c01 + m[2] * c02;
    return {c00 / determinant, (m[2] * m[7] - m[1] * m[8]) / determinant, (m[1] * m[5] - m[2] * m[4]) / determinant,
            c01 / determinant, (m[0] * m[8] - m[2] * m[6]) / determinant, (m[2] * m[3] - m[0] * m[5]) / determinant,
            c02 / determinant, (m[1] * m[6] - m[0] * m[7]) / determinant, (m[0] * m[4] - m[1] * m[3]) / determinant};
}

/// The diagonal matrix that scales each component by its own factor.
constexpr TMatrix3 Diagonal(const TVec3 &v)
{
    return {v.X, 0, 0, 0, v.Y, 0, 0, 0, v.Z};
}

/// A function applied to each component.
template <typename F>
constexpr TVec3 Each(const TVec3 &v, F f)
{
    return {f(v.X), f(v.Y), f(v.Z)};
}
