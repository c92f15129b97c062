// Exact integer division with the roundings the fit and the resampler share.
#pragma once

#include <cstdint>

// numerator / denominator (denominator > 0), rounded towards minus infinity.
inline int64_t FloorDiv(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && (numerator < 0)) --quotient;
    return quotient;
}

// numerator / denominator (denominator > 0) rounded to the nearest integer,
// exact halves to the even neighbour.
inline int64_t RoundHalfEven(int64_t numerator, int64_t denominator) {
    const int64_t quotient = FloorDiv(numerator, denominator);
    const int64_t twiceRest = 2 * (numerator - quotient * denominator);
    if (twiceRest > denominator) return quotient + 1;
    if (twiceRest == denominator) return (quotient % 2 == 0) ? quotient : quotient + 1;
    return quotient;
}
