// Conversion of any image of the library into an RGB image (format 1), as the
// PNG export needs: the canvas's 4-byte pixels become 3-byte R, G, B rows.
#pragma once

#include <memory>

#include "src/zr_image.h"
#include "src/zr_rgb_image.h"

// A new RGB image of the source's size holding its colours and a copy of its
// format information; the caller owns it. Throws ZrErrorCode (2 when memory
// runs out, or what the source's exportRGB throws); nothing stays allocated
// then.
std::unique_ptr<ZrRGBImage> convertToRGB(const ZrImage& source);

// Writes the source's colours into `target`, first resized to the source's
// size when it differs (a target of the right size keeps its buffer), and
// attaches a copy of the source's format information; returns `target`.
// Throws ZrErrorCode (2 when memory runs out, or what the source's exportRGB
// throws).
ZrRGBImage& convertToRGB(const ZrImage& source, ZrRGBImage& target);
