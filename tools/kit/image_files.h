// Writing pictures to files: false (with errno set) when the file cannot be written.
#pragma once

#include <string>
#include <vector>

#include "kit/picture.h"

// A bottom-up 24-bit BMP, the format the game loads; opacity is left out.
bool WriteBmp(const Picture& p, const std::string& path);

// An 8-bit RGBA PNG, opacity included.
bool WritePng(const Picture& p, const std::string& path);

// A Windows icon holding each picture (at most 256 x 256) as a PNG image.
bool WriteIco(const std::vector<Picture>& sizes, const std::string& path);

// The RGBA bytes, top row first, as the text of a C++ initializer list, for a
// program to carry the picture in itself.
bool WriteRgbaList(const Picture& p, const std::string& path);
