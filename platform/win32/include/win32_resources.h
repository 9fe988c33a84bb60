// The stand-in's form of a program's resource script: a program registers its
// icons before it loads them with LoadIconA(instance, MAKEINTRESOURCE(id)).
#pragma once
#include <cstdint>

// `argb` holds width x height pixels, rows from the top, 0xAARRGGBB; it is copied.
void Win32RegisterIconResource(int id, int width, int height, const uint32_t* argb);
