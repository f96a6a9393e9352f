// The fuzz targets' one check: a broken property stops the run, and
// libFuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>

inline void require(bool condition)
{
    if (!condition)
        std::abort();
}
