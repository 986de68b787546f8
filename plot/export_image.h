// The image object over the canvas pixels that the export writes, and the
// PNG export itself. Shared by the main window and orvanta-cli.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "plot/canvas.h"
#include "src/zr_32bit_image.h"

// The canvas pixels wrapped, not copied, as a format-6 image (each pixel the
// word 0x00RRGGBB). Throws ZrErrorCode 2 when memory runs out or the canvas
// is too large to wrap. The image is valid until the canvas is resized.
std::unique_ptr<Zr32BitImage> MakeExportImage(Canvas& canvas);

// Converts the image to RGB and writes it as a PNG file; false on any
// library error, with what went wrong in `reason` when it is given, and then
// a file that was there stays as it was.
bool SavePNG(const Zr32BitImage& exportImage, const char* path, std::string* reason = nullptr);

// Writes why the image `path` could not be saved to the diagnostics log as
// an error; the user sees only "Error saving image".
void LogSaveFailure(const std::string& path, const std::string& reason);

// Where the extension of a file name starts: the position of its last "."
// after the last path separator (":", "\\" or "/"), or the length of the
// name when it has none. "C:\\data.old\\plot" has none; "plot.old.bmp" has
// ".bmp".
size_t FindExtension(const char* name);

// The export's formats, numbered as the save dialog's filters.
enum class ExportFormat { Png = 1, Bmp = 2, Svg = 3 };

// Appends ".PNG", ".BMP" or ".SVG" to a name without an extension when the
// result still fits a buffer of `size` characters (NUL included) with room
// to spare: its length + 5 must be below the size. A name with any
// extension is kept as it is.
void AddExportExtension(char* name, size_t size, ExportFormat format);
