// The bitmap file the chart writes, and reading bitmaps back.
#include "platform/Bmp.h"
#include "platform/Dc.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::uint32_t U32(const std::vector<BYTE>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

QImage Pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 5) & 255, (y * 7) & 255, (x * y) & 255));
    return img;
}

std::string TempPath(const char* name) { return std::string(VX35_BINARY_DIR) + "/" + name; }

std::string Shell(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

} // namespace

TEST(Bmp, ThirtyTwoBitFileLayout)
{
    // 300 x 200 gives 58 + 300 * 200 * 4 bytes with the pixels at 58.
    const std::vector<BYTE> b = vx::EncodeBmp32(Pattern(300, 200));
    ASSERT_EQ(b.size(), 58u + 300u * 200u * 4u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 6), 0u);
    EXPECT_EQ(U32(b, 10), 58u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 300u);
    EXPECT_EQ(U32(b, 22), 200u);       // positive: bottom-up
    EXPECT_EQ(b[26] | (b[27] << 8), 1);
    EXPECT_EQ(b[28] | (b[29] << 8), 32);
    EXPECT_EQ(U32(b, 30), 0u);         // BI_RGB
    EXPECT_EQ(U32(b, 34), 300u * 200u * 4u);
    EXPECT_EQ(U32(b, 54), 0u);         // the colour table entry
    // First stored row is the bottom one: pixel (0, 199) in blue, green, red.
    const QRgb bottomLeft = Pattern(300, 200).pixel(0, 199);
    EXPECT_EQ(b[58], qBlue(bottomLeft));
    EXPECT_EQ(b[59], qGreen(bottomLeft));
    EXPECT_EQ(b[60], qRed(bottomLeft));
    EXPECT_EQ(b[61], 0);
}

TEST(Bmp, MatchesTheGoldenFile)
{
    // Pixel (x, y) of the golden picture: red 60x, green 100y, blue 30(x+y).
    QImage img(4, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            img.setPixel(x, y, qRgb(60 * x, 100 * y, 30 * (x + y)));
    const std::string golden = std::string(VX35_SOURCE_DIR) + "/tests/data/bmp_golden_4x3.bmp";
    std::ifstream f(golden, std::ios::binary);
    ASSERT_TRUE(f) << golden;
    const std::vector<BYTE> expected((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(vx::EncodeBmp32(img), expected);
    EXPECT_EQ(vx::DecodeBmp(expected.data(), expected.size()), img);
}

TEST(Bmp, RoundTripIsByteExactAndReadableByOthers)
{
    const std::string path = TempPath("bmp_roundtrip_100x50.bmp");
    const QImage img = Pattern(100, 50);
    ASSERT_TRUE(vx::SaveBmpFile(path.c_str(), img));
    const QImage back = vx::LoadBmpFile(path.c_str());
    ASSERT_EQ(back.size(), img.size());
    EXPECT_EQ(back, img);
    std::ifstream f(path, std::ios::binary);
    const std::vector<BYTE> onDisk((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, vx::EncodeBmp32(back));

    // Independent readers on the machine.
    const std::string file = Shell("file -b '" + path + "' 2>/dev/null");
    if (!file.empty()) {
        EXPECT_NE(file.find("PC bitmap"), std::string::npos) << file;
        EXPECT_NE(file.find("100 x 50"), std::string::npos) << file;
    }
    const std::string id = Shell("identify -format '%w %h' '" + path + "' 2>/dev/null");
    if (!id.empty()) {
        EXPECT_EQ(id, "100 50");
    }
    if (file.empty() && id.empty())
        GTEST_SKIP() << "neither file nor identify is installed";
}

TEST(Bmp, ReaderTakesThePixelOffsetFromTheHeader)
{
    // A 24-bit top-down 2 x 2 with 6 bytes of padding before the pixels.
    std::vector<BYTE> b(14 + 40 + 6 + 2 * 8, 0);
    b[0] = 'B';
    b[1] = 'M';
    b[2] = static_cast<BYTE>(b.size());
    b[10] = 60;
    b[14] = 40;
    b[18] = 2;
    b[22] = 0xFE, b[23] = 0xFF, b[24] = 0xFF, b[25] = 0xFF;   // height -2
    b[26] = 1;
    b[28] = 24;
    const BYTE px[] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    std::copy(std::begin(px), std::end(px), b.begin() + 60);
    const QImage img = vx::DecodeBmp(b.data(), b.size());
    ASSERT_EQ(img.size(), QSize(2, 2));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(Bmp, DamagedFilesAreRefused)
{
    std::vector<BYTE> good = vx::EncodeBmp32(Pattern(8, 4));
    EXPECT_FALSE(vx::DecodeBmp(good.data(), good.size()).isNull());
    for (size_t cut : {size_t(0), size_t(10), size_t(30), size_t(57), good.size() - 1})
        EXPECT_TRUE(vx::DecodeBmp(good.data(), cut).isNull()) << cut;
    auto bad = good;
    bad[10] = 0xFF, bad[11] = 0xFF, bad[12] = 0xFF, bad[13] = 0x7F;   // offset beyond the end
    EXPECT_TRUE(vx::DecodeBmp(bad.data(), bad.size()).isNull());
    bad = good;
    bad[18] = 0xFF, bad[19] = 0xFF, bad[20] = 0xFF, bad[21] = 0x7F;   // absurd width
    EXPECT_TRUE(vx::DecodeBmp(bad.data(), bad.size()).isNull());
    bad = good;
    bad[28] = 7;                                                      // bit count
    EXPECT_TRUE(vx::DecodeBmp(bad.data(), bad.size()).isNull());
    EXPECT_TRUE(vx::LoadBmpFile("/nonexistent/x.bmp").isNull());
    EXPECT_FALSE(vx::SaveBmpFile("/nonexistent/dir/x.bmp", Pattern(2, 2)));
}

TEST(Bmp, ResourceBitmapsByIdAndIntoAMemoryDc)
{
    vx::RegisterResourceBitmap(4711, vx::EncodeBmp32(Pattern(6, 3)));
    CBitmap bmp;
    ASSERT_TRUE(bmp.LoadBitmap(4711));
    BITMAP info;
    ASSERT_TRUE(bmp.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 3);
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    mem.SelectObject(&bmp);
    EXPECT_EQ(mem.GetPixel(5, 2), vx::ColorRefFromPixel(Pattern(6, 3).pixel(5, 2)));
    EXPECT_FALSE(CBitmap().LoadBitmap(4712));
}

TEST(Bmp, AFolderOrUnreadablePathGivesANullImageNeverAnException)
{
    const std::string folder = TempPath("bmp_folder.bmp");
    std::system(("mkdir -p '" + folder + "'").c_str());
    QImage img;
    EXPECT_NO_THROW(img = vx::LoadBmpFile(folder.c_str()));
    EXPECT_TRUE(img.isNull());
    EXPECT_NO_THROW(img = vx::LoadBmpFile("/proc/self/mem"));
    EXPECT_TRUE(img.isNull());
    std::system(("rmdir '" + folder + "'").c_str());
}

TEST(Bmp, ImagesLargerThanTheReaderTakesAreRefused)
{
    // 1 bit per pixel, 32768 x 8192: a 32 MiB file that would decode into
    // a 1 GiB image.
    const std::uint32_t w = 32768, h = 8192, stride = w / 8, offset = 14 + 40 + 8;
    std::vector<BYTE> file(offset + static_cast<size_t>(stride) * h, 0);
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<BYTE>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1, file[28] = 1;
    EXPECT_TRUE(vx::DecodeBmp(file.data(), file.size()).isNull());
    // The same header with a height the limit allows decodes.
    put32(22, 16);
    const QImage small = vx::DecodeBmp(file.data(), offset + stride * 16);
    EXPECT_EQ(small.size(), QSize(32768, 16));
}

TEST(Bmp, TheLogoCopyIsRewrittenWhenItIsNotWhole)
{
    const std::string path = TempPath("logo_copy.bmp");
    const QImage logo = Pattern(40, 20);
    const std::vector<BYTE> whole = vx::EncodeBmp32(logo);
    // Cut short, as a full disk leaves it.
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(whole.data()), 100);
    }
    ASSERT_TRUE(vx::EnsureBmpFile(path.c_str(), logo));
    EXPECT_EQ(vx::LoadBmpFile(path.c_str()), logo.convertToFormat(QImage::Format_RGB32));
    // A whole copy is left alone (same inode: not written again).
    struct stat before {};
    stat(path.c_str(), &before);
    ASSERT_TRUE(vx::EnsureBmpFile(path.c_str(), logo));
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    std::remove(path.c_str());

    CString error;
    EXPECT_FALSE(vx::SaveBmpFile("/nonexistent/dir/x.bmp", logo, &error));
    EXPECT_EQ(error, CString("/nonexistent/dir/x.bmp: ") + std::strerror(ENOENT));
}
