// The project's own .bmp reader and writer.
//
// The writer produces the chart's bitmap file: 32 bits per pixel, rows
// bottom-up, BI_RGB, with a 4-byte colour table after the 40-byte header, so
// the pixels start at offset 58. The reader takes the pixel offset from the
// file header (never assumes it), understands 1, 4, 8, 16, 24 and 32 bits
// per pixel (uncompressed or with bit-field masks), top-down and bottom-up,
// and refuses anything damaged.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <QImage>

#include <cstdint>
#include <vector>

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType = 0x4D42;   // "BM"
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 32;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

namespace vx {

// The file's bytes for an image (any format; written as 32 bits, the fourth
// byte 0). Empty for a null image.
std::vector<BYTE> EncodeBmp32(const QImage& image);
// Writes EncodeBmp32 to a file through a temporary file beside it, so a
// failed write leaves the old file as it was; false when the image is null
// or the file cannot be written completely, with "path: reason" in *error.
bool SaveBmpFile(const char* path, const QImage& image, CString* error = nullptr);
// Writes the image unless the file already holds a copy of it (its size and
// headers match what EncodeBmp32 gives). False when it had to be written
// and that failed.
bool EnsureBmpFile(const char* path, const QImage& image, CString* error = nullptr);

// The largest image the reader decodes (256 MiB of pixels): a small file
// with few bits per pixel must not make the program allocate gigabytes.
constexpr std::int64_t kMaxBmpPixels = std::int64_t(1) << 26;

// A null image for anything that is not a readable bitmap.
QImage DecodeBmp(const BYTE* data, size_t size);
// A null image, never an exception, when the path is missing, is a folder,
// cannot be read or does not hold a readable bitmap.
QImage LoadBmpFile(const char* path);

// The program's own bitmaps by resource id: first the ones registered in
// memory (the resource library embeds its .bmp files and registers them at
// start-up), then <dir>/bitmaps/<id>.bmp or <dir>/<id>.bmp for the folder
// set by SetResourceDir, then res/ next to or above the executable.
void RegisterResourceBitmap(UINT id, std::vector<BYTE> bmpFile);
void SetResourceDir(const char* dir);
QImage LoadResourceBitmap(UINT id);

} // namespace vx
