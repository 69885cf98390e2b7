#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <gtest/gtest.h>

#include <clocale>

TEST(CString, HoldsZeroBytesAndEveryByteValue)
{
    const unsigned char raw[] = {0x12, 0x00, 0x0D, 0x0A, 0xFF, 0x00};
    CString s(raw, 6);
    EXPECT_EQ(s.GetLength(), 6);
    CString t = s + CString("\0x", 2);
    EXPECT_EQ(t.GetLength(), 8);
    EXPECT_EQ(t.Mid(1, 1).GetLength(), 1);
    EXPECT_EQ(t.GetAt(1), '\0');
    EXPECT_EQ(t.Find("\r\n"), 2);
    t.Delete(0, 4);
    EXPECT_EQ(static_cast<unsigned char>(t.GetAt(0)), 0xFF);
}

TEST(CString, EditingOperationsKeepBounds)
{
    CString s("  Hello, World \t");
    s.Trim();
    EXPECT_EQ(s, "Hello, World");
    EXPECT_EQ(s.Left(99), "Hello, World");
    EXPECT_EQ(s.Right(5), "World");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Mid(-3, 2), "He");
    EXPECT_EQ(s.Find('o', 5), 8);
    EXPECT_EQ(s.Find('o', 100), -1);
    EXPECT_EQ(s.ReverseFind('o'), 8);
    EXPECT_EQ(s.Replace("l", "LL"), 3);
    EXPECT_EQ(s, "HeLLLLo, WorLLd");
    EXPECT_EQ(s.Remove('L'), 6);
    s.Insert(0, '[');
    s.Insert(100, "]");
    EXPECT_EQ(s, "[Heo, Word]");
    s.MakeUpper();
    EXPECT_EQ(s, "[HEO, WORD]");
    CString umlaut("\xE4\xF6\xFC");
    umlaut.MakeUpper();
    EXPECT_EQ(umlaut, "\xC4\xD6\xDC");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
}

TEST(CString, BufferAccessFollowsTheWrittenLength)
{
    CString s;
    char* p = s.GetBuffer(10);
    p[0] = 'a';
    p[1] = 'b';
    p[2] = 0;
    s.ReleaseBuffer();
    EXPECT_EQ(s, "ab");
    p = s.GetBuffer(4);
    p[2] = 'c';
    s.ReleaseBuffer(3);
    EXPECT_EQ(s, "abc");
}

TEST(Numbers, FormattingUsesADotUnderAGermanLocale)
{
    const char* got = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!got)
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    CString s;
    s.Format("%.3f", 1.5);
    EXPECT_EQ(s, "1.500");
    EXPECT_DOUBLE_EQ(vx::StrToDouble("2.25"), 2.25);
    EXPECT_EQ(vx::StrToInt("  -42x"), -42);
    EXPECT_EQ(vx::StrToInt("99999999999"), 2147483647);
    std::setlocale(LC_ALL, "C");
}

TEST(Text1252, EveryByteSurvivesTheRoundTripThroughUtf16)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const CString bytes(all);
    const QString wide = vx::ToQString(bytes);
    ASSERT_EQ(wide.size(), 256);
    EXPECT_EQ(wide[0x80].unicode(), 0x20AC);
    EXPECT_EQ(wide[0xE4].unicode(), 0x00E4);
    EXPECT_EQ(vx::FromQString(wide), bytes);
    EXPECT_EQ(vx::FromUtf8("Zeit\xC3\xBC" "berschreitung"), "Zeit\xFC" "berschreitung");
    EXPECT_EQ(vx::FromQString(QString::fromUtf8("\xE2\x82\xAC \xE2\x98\x83")), "\x80 ?");
}

namespace {
class CThing : public CObject {
    VX_DECLARE_SERIAL(CThing)
};
VX_IMPLEMENT_SERIAL(CThing, CObject, 1)
class CSubThing : public CThing {
    VX_DECLARE_SERIAL(CSubThing)
};
VX_IMPLEMENT_SERIAL(CSubThing, CThing, 1)
} // namespace

TEST(RuntimeClass, CreatesRegisteredClassesByName)
{
    const CRuntimeClass* cls = CRuntimeClass::FromName("CSubThing");
    ASSERT_NE(cls, nullptr);
    std::unique_ptr<CObject> obj(cls->CreateObject());
    EXPECT_TRUE(obj->IsKindOf(VX_RUNTIME_CLASS(CThing)));
    EXPECT_TRUE(obj->IsKindOf(&CObject::classCObject));
    EXPECT_FALSE(CThing().IsKindOf(VX_RUNTIME_CLASS(CSubThing)));
    EXPECT_EQ(CRuntimeClass::FromName("CNothing"), nullptr);
}

TEST(CObList, PositionsSurviveInsertAndRemove)
{
    CThing a, b, c;
    CObList list;
    POSITION pa = list.AddTail(&a);
    list.AddTail(&c);
    list.InsertAfter(pa, &b);
    POSITION pos = list.GetHeadPosition();
    std::vector<CObject*> order;
    while (pos)
        order.push_back(list.GetNext(pos));
    EXPECT_EQ(order, (std::vector<CObject*>{&a, &b, &c}));
    list.RemoveAt(list.Find(&b));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(list.FindIndex(1)), &c);
}
