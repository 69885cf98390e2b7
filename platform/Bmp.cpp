#include "platform/Bmp.h"

#include "platform/File.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Put16(std::vector<BYTE>& out, size_t at, unsigned v)
{
    out[at] = static_cast<BYTE>(v & 0xFF);
    out[at + 1] = static_cast<BYTE>((v >> 8) & 0xFF);
}

void Put32(std::vector<BYTE>& out, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<BYTE>((v >> (8 * i)) & 0xFF);
}

std::uint32_t Get16(const BYTE* p) { return p[0] | (p[1] << 8); }
std::uint32_t Get32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A value of a bit-field mask scaled to 0..255.
int MaskChannel(std::uint32_t pixel, std::uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1u))
        ++shift;
    const std::uint32_t max = mask >> shift;
    const std::uint32_t v = (pixel & mask) >> shift;
    return static_cast<int>((v * 255u + max / 2) / max);
}

std::mutex& RegistryLock()
{
    static std::mutex m;
    return m;
}
std::map<UINT, std::vector<BYTE>>& Registered()
{
    static std::map<UINT, std::vector<BYTE>> r;
    return r;
}
std::string& ResourceDir()
{
    static std::string dir;
    return dir;
}

} // namespace

namespace vx {

std::vector<BYTE> EncodeBmp32(const QImage& source)
{
    if (source.isNull())
        return {};
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    // 32 bits: 2^(32 mod 32) = 1 colour-table entry of 4 bytes.
    const std::uint32_t colours = 1;
    const std::uint32_t offset = 14 + 40 + 4 * colours;
    const std::uint32_t stride = ((32u * static_cast<std::uint32_t>(w) + 31u) / 32u) * 4u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(h);
    std::vector<BYTE> out(offset + imageSize, 0);
    Put16(out, 0, 0x4D42);
    Put32(out, 2, offset + imageSize);   // 14 + the block (header, table, pixels)
    Put32(out, 10, offset);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(w));
    Put32(out, 22, static_cast<std::uint32_t>(h));   // positive: bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 32);
    Put32(out, 30, BI_RGB);
    Put32(out, 34, imageSize);
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        BYTE* dst = out.data() + offset + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
            dst[4 * x] = static_cast<BYTE>(qBlue(src[x]));
            dst[4 * x + 1] = static_cast<BYTE>(qGreen(src[x]));
            dst[4 * x + 2] = static_cast<BYTE>(qRed(src[x]));
            dst[4 * x + 3] = 0;
        }
    }
    return out;
}

bool SaveBmpFile(const char* path, const QImage& image, CString* error)
{
    if (!path || image.isNull()) {
        if (error)
            *error = CString(path ? path : "") + ": no picture to save";
        return false;
    }
    const std::vector<BYTE> bytes = EncodeBmp32(image);
    return WriteFileSafely(path, bytes.data(), bytes.size(), error);
}

bool EnsureBmpFile(const char* path, const QImage& image, CString* error)
{
    if (!path || image.isNull())
        return SaveBmpFile(path, image, error);
    const std::vector<BYTE> wanted = EncodeBmp32(image);
    constexpr size_t kHeaders = 14 + 40;
    std::vector<BYTE> present;
    if (ReadRegularFile(path, present, wanted.size()) == FileReadResult::Ok && present.size() == wanted.size() &&
        std::memcmp(present.data(), wanted.data(), kHeaders) == 0)
        return true;
    return WriteFileSafely(path, wanted.data(), wanted.size(), error);
}

QImage DecodeBmp(const BYTE* data, size_t size)
{
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return QImage();
    const std::uint64_t offBits = Get32(data + 10);
    const std::uint32_t hdrSize = Get32(data + 14);
    if (hdrSize < 12 || 14ull + hdrSize > size)
        return QImage();
    const BYTE* hdr = data + 14;
    std::int64_t width, height;
    unsigned planes, bpp;
    std::uint32_t compression = BI_RGB, clrUsed = 0;
    const bool core = hdrSize < 40;
    if (core) {
        width = Get16(hdr + 4);
        height = static_cast<std::int16_t>(Get16(hdr + 6));
        planes = Get16(hdr + 8);
        bpp = Get16(hdr + 10);
    } else {
        width = static_cast<std::int32_t>(Get32(hdr + 4));
        height = static_cast<std::int32_t>(Get32(hdr + 8));
        planes = Get16(hdr + 12);
        bpp = Get16(hdr + 14);
        compression = Get32(hdr + 16);
        clrUsed = Get32(hdr + 32);
    }
    if (planes != 1 || width <= 0 || height == 0 || width > 32768 || height > 32768 || height < -32768)
        return QImage();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return QImage();
    std::uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    if (bpp == 16)
        masks[0] = 0x7C00u, masks[1] = 0x03E0u, masks[2] = 0x001Fu;
    if (compression == BI_BITFIELDS && (bpp == 16 || bpp == 32)) {
        // The masks follow a 40-byte header, or sit inside a larger one.
        if (14ull + 40 + 12 > size)
            return QImage();
        for (int i = 0; i < 3; ++i)
            masks[i] = Get32(data + 14 + 40 + 4 * i);
    } else if (compression != BI_RGB) {
        return QImage();
    }
    const bool topDown = height < 0;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(topDown ? -height : height);
    if (static_cast<std::int64_t>(w) * h > kMaxBmpPixels)
        return QImage();
    const std::uint64_t stride = ((static_cast<std::uint64_t>(bpp) * w + 31) / 32) * 4;
    if (offBits < 14ull + hdrSize || offBits + stride * h > size)
        return QImage();

    std::vector<QRgb> palette;
    if (bpp <= 8) {
        std::uint64_t count = clrUsed ? clrUsed : (1u << bpp);
        if (count > 256)
            count = 256;
        const unsigned entry = core ? 3 : 4;
        const std::uint64_t tableAt = 14ull + hdrSize;
        if (tableAt + count * entry > offBits)
            count = (offBits - tableAt) / entry;
        for (std::uint64_t i = 0; i < count; ++i) {
            const BYTE* e = data + tableAt + i * entry;
            palette.push_back(qRgb(e[2], e[1], e[0]));
        }
    }

    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return QImage();
    for (int y = 0; y < h; ++y) {
        const BYTE* row = data + offBits + stride * static_cast<std::uint64_t>(topDown ? y : h - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                const unsigned perByte = 8 / bpp;
                const unsigned shift = 8 - bpp * (x % perByte + 1);
                const unsigned index = (row[x / perByte] >> shift) & ((1u << bpp) - 1);
                dst[x] = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const std::uint32_t v = Get16(row + 2 * x);
                dst[x] = qRgb(MaskChannel(v, masks[0]), MaskChannel(v, masks[1]), MaskChannel(v, masks[2]));
                break;
            }
            case 24: dst[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            default: {
                const std::uint32_t v = Get32(row + 4 * x);
                dst[x] = qRgb(MaskChannel(v, masks[0]), MaskChannel(v, masks[1]), MaskChannel(v, masks[2]));
                break;
            }
            }
        }
    }
    return img;
}

QImage LoadBmpFile(const char* path)
{
    if (!path)
        return QImage();
    // Headers, a full colour table and 32 bits for each pixel the reader
    // would decode: no readable bitmap is larger.
    constexpr size_t kLargestBitmap = 14 + 124 + 1024 + 4 * static_cast<size_t>(kMaxBmpPixels);
    std::vector<BYTE> bytes;
    if (ReadRegularFile(path, bytes, kLargestBitmap) != FileReadResult::Ok)
        return QImage();
    return DecodeBmp(bytes.data(), bytes.size());
}

void RegisterResourceBitmap(UINT id, std::vector<BYTE> bmpFile)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    Registered()[id] = std::move(bmpFile);
}

void SetResourceDir(const char* dir)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    ResourceDir() = dir ? dir : "";
}

QImage LoadResourceBitmap(UINT id)
{
    std::vector<std::string> dirs;
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        const auto it = Registered().find(id);
        if (it != Registered().end())
            return DecodeBmp(it->second.data(), it->second.size());
        if (!ResourceDir().empty())
            dirs.push_back(ResourceDir());
    }
    if (QCoreApplication::instance()) {
        const QString app = QCoreApplication::applicationDirPath();
        for (const char* rel : {"/res", "/../res", "/../../res", "/../share/vx35/res"})
            dirs.push_back((app + QString::fromLatin1(rel)).toStdString());
    }
    const std::string name = std::to_string(id) + ".bmp";
    for (const std::string& dir : dirs)
        for (const std::string& path : {dir + "/bitmaps/" + name, dir + "/" + name}) {
            const QImage img = LoadBmpFile(path.c_str());
            if (!img.isNull())
                return img;
        }
    return QImage();
}

} // namespace vx
