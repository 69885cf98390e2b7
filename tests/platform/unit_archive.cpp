// The chart archive: primitives, tagged objects, and damaged files.
#include "platform/Archive.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class ArPoint : public CObject {
    VX_DECLARE_SERIAL(ArPoint)
public:
    int x = 0;
    double y = 0.0;
    CString name;
    ArPoint* next = nullptr;   // not owned
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << x << y << name;
            ar << static_cast<const CObject*>(next);
        } else {
            ar >> x >> y >> name;
            ar >> next;
        }
    }
};
VX_IMPLEMENT_SERIAL(ArPoint, CObject, 1)

class ArOther : public CObject {
    VX_DECLARE_SERIAL(ArOther)
public:
    void Serialize(CArchive&) override {}
};
VX_IMPLEMENT_SERIAL(ArOther, CObject, 3)

std::string TempPath(const char* name) { return std::string(VX35_BINARY_DIR) + "/" + name; }

std::vector<BYTE> ReadAll(const std::string& path)
{
    CFile f(path.c_str(), CFile::modeRead);
    std::vector<BYTE> b(static_cast<size_t>(f.GetLength()));
    f.Read(b.data(), static_cast<UINT>(b.size()));
    return b;
}

void WriteAll(const std::string& path, const std::vector<BYTE>& b)
{
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    f.Write(b.data(), static_cast<UINT>(b.size()));
    f.Close();
}

// Reads what StoreSample wrote; throws on any damage.
void LoadSample(const std::string& path, std::vector<std::unique_ptr<CObject>>& keep)
{
    CFile f(path.c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    BYTE b;
    WORD w;
    int i;
    UINT u;
    double d;
    float fl;
    bool flag;
    CString s;
    long long ll;
    ar >> b >> w >> i >> u >> d >> fl >> flag >> s >> ll;
    int count = 0;
    ar >> count;
    for (int k = 0; k < count && k < 1000; ++k) {
        ArPoint* p = nullptr;
        ar >> p;
        if (p)
            keep.emplace_back(p);
    }
}

void StoreSample(const std::string& path)
{
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive ar(&f, CArchive::store);
    ArPoint a, b;
    a.x = 1;
    a.name = "erster";
    b.x = 2;
    b.next = &a;
    ar << BYTE(1) << WORD(2) << 3 << UINT(4) << 5.5 << 6.5f << true << CString("sieben") << 8LL;
    ar << 3;
    ar << static_cast<const CObject*>(&a) << static_cast<const CObject*>(&b)
       << static_cast<const CObject*>(nullptr);
    ar.Close();
    f.Close();
}

} // namespace

TEST(Archive, EveryPrimitiveRoundTripsLittleEndian)
{
    const std::string path = TempPath("archive_primitives.bin");
    const CString binary("a\0b\xFF", 4);
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store, 16);   // small buffer: many flushes
        ar << BYTE(0xAB) << WORD(0x1234) << int(-2) << UINT(0xDEADBEEF) << long(-7)
           << static_cast<unsigned long>(0x01020304) << -1.25 << 3.5f << true << false
           << binary << CString() << static_cast<long long>(-5) << static_cast<unsigned long long>(1ull << 40)
           << std::numeric_limits<double>::infinity() << short(-3) << char('z');
        ar.Close();
    }
    const std::vector<BYTE> bytes = ReadAll(path);
    // Fixed field sizes: no padding, no type tags.
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 4 + 4 + 4 + 8 + 4 + 1 + 1 + (4 + 4) + 4 + 8 + 8 + 8 + 2 + 1);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0xFE);
    EXPECT_EQ(bytes[6], 0xFF);
    EXPECT_EQ(bytes[7], 0xEF);
    EXPECT_EQ(bytes[10], 0xDE);

    CFile f(path.c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load, 16);
    BYTE b;
    WORD w;
    int i;
    UINT u;
    long l;
    unsigned long ul;
    double d, inf;
    float fl;
    bool t, fa;
    CString s, empty;
    long long ll;
    unsigned long long ull;
    short sh;
    char c;
    ar >> b >> w >> i >> u >> l >> ul >> d >> fl >> t >> fa >> s >> empty >> ll >> ull >> inf >> sh >> c;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(u, 0xDEADBEEFu);
    EXPECT_EQ(l, -7);
    EXPECT_EQ(ul, 0x01020304ul);
    EXPECT_EQ(d, -1.25);
    EXPECT_EQ(fl, 3.5f);
    EXPECT_TRUE(t);
    EXPECT_FALSE(fa);
    EXPECT_EQ(s, binary);
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(ll, -5);
    EXPECT_EQ(ull, 1ull << 40);
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_EQ(sh, -3);
    EXPECT_EQ(c, 'z');
    BYTE more;
    EXPECT_THROW(ar >> more, CArchiveException);
}

TEST(Archive, ObjectsByClassNameWithBackReferences)
{
    const std::string path = TempPath("archive_objects.bin");
    StoreSample(path);
    std::vector<std::unique_ptr<CObject>> keep;
    LoadSample(path, keep);
    ASSERT_EQ(keep.size(), 2u);
    auto* a = dynamic_cast<ArPoint*>(keep[0].get());
    auto* b = dynamic_cast<ArPoint*>(keep[1].get());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->x, 1);
    EXPECT_EQ(a->name, CString("erster"));
    EXPECT_EQ(b->x, 2);
    EXPECT_EQ(b->next, a);   // the second reference is the same object
    EXPECT_EQ(a->next, nullptr);
    // The class name is in the file once.
    const std::vector<BYTE> bytes = ReadAll(path);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("ArPoint"), std::string::npos);
    EXPECT_EQ(text.find("ArPoint"), text.rfind("ArPoint"));
}

TEST(Archive, ClassCheckAndUnknownClass)
{
    const std::string path = TempPath("archive_class.bin");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        ArOther o;
        ar.WriteObject(&o);
        ar.Close();
    }
    {
        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        ArPoint* p = nullptr;
        try {
            ar >> p;
            FAIL() << "read an ArOther as ArPoint";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::badClass);
        }
    }
    {
        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        std::unique_ptr<CObject> o(ar.ReadObject(VX_RUNTIME_CLASS(CObject)));
        EXPECT_TRUE(o && o->IsKindOf(VX_RUNTIME_CLASS(ArOther)));
    }
    // The same record under a name nobody registered, and with another schema.
    std::vector<BYTE> bytes = ReadAll(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t at = text.find("ArOther");
    ASSERT_NE(at, std::string::npos);
    auto renamed = bytes;
    renamed[at] = 'X';
    WriteAll(path, renamed);
    {
        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        EXPECT_THROW(ar.ReadObject(nullptr), CArchiveException);
    }
    auto schema = bytes;
    schema[2] = 9;   // tag (2 bytes), then the schema
    WriteAll(path, schema);
    {
        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        try {
            ar.ReadObject(nullptr);
            FAIL();
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::badSchema);
        }
    }
}

TEST(Archive, TruncatedOrDamagedFilesFailCleanly)
{
    const std::string good = TempPath("archive_sample.bin");
    const std::string bad = TempPath("archive_damaged.bin");
    StoreSample(good);
    const std::vector<BYTE> bytes = ReadAll(good);
    // Every truncation throws an archive exception.
    for (size_t len = 0; len < bytes.size(); ++len) {
        WriteAll(bad, std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<long>(len)));
        std::vector<std::unique_ptr<CObject>> keep;
        EXPECT_THROW(LoadSample(bad, keep), CArchiveException) << "length " << len;
    }
    // A string length of 4 GB in a short file fails without allocating it.
    auto huge = bytes;
    const size_t strAt = 1 + 2 + 4 + 4 + 8 + 4 + 1;
    huge[strAt] = huge[strAt + 1] = huge[strAt + 2] = huge[strAt + 3] = 0xFF;
    WriteAll(bad, huge);
    {
        std::vector<std::unique_ptr<CObject>> keep;
        EXPECT_THROW(LoadSample(bad, keep), CArchiveException);
    }
    // Random damage: an exception or a result, never a crash or a hang.
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        auto damaged = bytes;
        for (int k = 0; k < 3; ++k)
            damaged[rng() % damaged.size()] = static_cast<BYTE>(rng());
        WriteAll(bad, damaged);
        std::vector<std::unique_ptr<CObject>> keep;
        try {
            LoadSample(bad, keep);
        } catch (const CArchiveException&) {
        }
    }
}

TEST(File, ErrorsAreReported)
{
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open("/nonexistent/dir/file.bin", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_lOsError, ENOENT);
    EXPECT_NE(e.GetErrorMessage().Find("file.bin"), -1);
    EXPECT_THROW(CFile("/nonexistent/x", CFile::modeRead), CFileException);
    EXPECT_FALSE(f.Open(VX35_BINARY_DIR, CFile::modeRead, &e));   // a folder

    // Create truncates; NoTruncate keeps; Seek and lengths.
    const std::string path = TempPath("file_errors.bin");
    {
        CFile w(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        w.Write("abcdef", 6);
    }
    {
        CFile w(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(w.GetLength(), 6u);
        w.Seek(-2, CFile::end);
        char buf[4] = {};
        EXPECT_EQ(w.Read(buf, 4), 2u);
        EXPECT_STREQ(buf, "ef");
        w.SetLength(3);
        EXPECT_EQ(w.GetLength(), 3u);
    }
    {
        CFile r(path.c_str(), CFile::modeRead);
        EXPECT_THROW(r.Write("x", 1), CFileException);
        EXPECT_EQ(r.GetFileName(), CString("file_errors.bin"));
    }
    CFile closed;
    EXPECT_THROW(closed.Read(nullptr, 0), CFileException);
    EXPECT_THROW(CFile::Remove("/nonexistent/x"), CFileException);
    std::remove(path.c_str());
}
