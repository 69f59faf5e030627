#pragma once

// The decimal's mantissa type: an unsigned 128-bit integer (a compiler extension, hence the
// __extension__ that keeps -Wpedantic quiet).
__extension__ typedef unsigned __int128 QVRUInt128;

inline constexpr QVRUInt128 QVRUInt128Max = ~QVRUInt128(0);
