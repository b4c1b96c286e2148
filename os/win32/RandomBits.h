#pragma once

#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

// 32 random bits for names that must not collide by chance. The system's
// generator directly: the library's random_device would bring its token
// parsing and a second string implementation along. Should the generator
// fail, the clock still varies the bits; callers try a taken name again.
inline uint32_t RandomBits()
{
    uint32_t n = 0;
    if (RtlGenRandom(&n, sizeof(n)))
        return n;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.LowPart ^ (static_cast<uint32_t>(now.HighPart) * 2654435761u) ^ GetCurrentThreadId();
}
