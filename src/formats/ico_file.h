// ico_file.h — the icon writer: one 32 × 32, 8-bit icon of 2238 bytes.
//
// The palette is the optimised palette of at most 255 colours (tree depth 6);
// entry 255 is all zero and serves the transparent pixels (alpha ≥ 128), whose
// mask bits are set. Opaque pixels alternate between the nearest entry and the
// entry nearest to the colour that cancels its error (a two-colour ordered dither).
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"

const size_t ICO_FILE_SIZE = 2238;

// The whole file in a malloc'd block; 0 when the surface is not 32 × 32 or the
// palette cannot be built (after "Could not create optimized palette!!").
int ico_SaveBytes(Surface* s, uint8_t** data, size_t* size);
int ico_Save(Surface* s, const char* path);
