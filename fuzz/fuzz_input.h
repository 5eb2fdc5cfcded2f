// fuzz_input.h — reads a fuzz input front to back as bytes, words and coordinates;
// past the end everything is 0, so every input is a whole case.
#pragma once
#include <cstddef>
#include <cstdint>

struct FuzzInput {
    const uint8_t* p;
    size_t n;
    uint8_t Byte() { return n ? (n--, *p++) : 0; }
    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++) v = v << 8 | Byte();
        return v;
    }
    // Mostly near a side of `size`, otherwise the ends of int, 16-bit values or anything.
    int Coordinate(int size) {
        const uint8_t sel = Byte();
        const int ends[] = {INT32_MIN, INT32_MIN + 1, INT32_MAX - 1, INT32_MAX};
        switch (sel & 7) {
        case 0: return (int)Word();
        case 1: return ends[(sel >> 3) & 3];
        case 2: {
            const int hi = Byte();  // sequenced: the high byte comes first
            return (int)(int16_t)(hi << 8 | Byte());
        }
        default: return (int)(Byte() % (size + 9)) - 4;
        }
    }
};
