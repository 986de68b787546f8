// The fewest libpng calls that write a canvas as an 8-bit RGB PNG with
// libpng's default compression and filters: the yardstick the program's own
// PNG export is measured against.
#pragma once

#include <string>

#include "plot/canvas.h"

// Throws std::runtime_error on any failure.
void WritePlainPng(const Canvas& canvas, const std::string& path);
