// The demo's content, made by our own generator.
#pragma once
#include "canvas.h"

namespace content {
bool WriteImages(const std::string& root); // Textures\...
bool WriteBears(const std::string& root);  // Data\nalle*.md2 and Data\nalle.bmp
bool WriteMusic(const std::string& root);  // music.xm
void ReleaseFonts();                       // gives back FreeType's and fontconfig's memory
} // namespace content
