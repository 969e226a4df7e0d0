// Reading a fuzz input as typed values: each takes the next bytes, and an
// input that runs out gives zeros for the rest, so every input is usable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

template <class T>
T take(const uint8_t*& p, size_t& n)
{
    T v{};
    const size_t k = n < sizeof v ? n : sizeof v;
    std::memcpy(&v, p, k);
    p += k;
    n -= k;
    return v;
}
