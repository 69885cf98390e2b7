#include "app/StringTable.h"
#include "platform/Text1252.h"
#include "port/CSerialPort.h"

#include <cerrno>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

TEST(StringTable, EveryLanguageHasEveryTextAndTheOffsetRuleHolds)
{
    vx::InstallStringTable();
    CString s;
    ASSERT_TRUE(s.LoadString(5198));
    EXPECT_EQ(s, "Zeit\xFC" "berschreitung Kanal");
    ASSERT_TRUE(s.LoadString(6198));
    EXPECT_EQ(s, "Timeout Channel");
    EXPECT_EQ(vx::LoadText(5180, vx::kLanguageEnglish), "Check Sensor adjustment,\n0% and 100% load are identical!");
    EXPECT_EQ(vx::LoadText(5150, vx::kLanguageFrench), "Mesurer");
    // Every German text exists in all four languages, never blank.
    for (UINT i = 0; i < vx::kStringsPerLanguage; ++i) {
        CString de;
        if (!de.LoadString(5100 + i))
            continue;
        for (int off : {1000, 2000, 3000}) {
            CString other;
            EXPECT_TRUE(other.LoadString(5100 + i + off)) << i << " " << off;
            EXPECT_FALSE(other.IsEmpty()) << i << " " << off;
        }
    }
    EXPECT_FALSE(s.LoadString(5100 + vx::kStringsPerLanguage));
    EXPECT_FALSE(s.LoadString(4000));
    EXPECT_TRUE(s.IsEmpty());
}

// The port library knows no language: it reads its messages in the
// program's, and on its own (no table) says what the table says in English.
TEST(StringTable, PortMessagesFollowTheProgramsLanguageAndNameThePortOnce)
{
    const int errors[] = {EACCES, EBUSY, ENOENT, ENOTTY, EINVAL, EIO};
    std::vector<CString> own;
    SetStringTableLookup(nullptr);
    for (int err : errors)
        own.push_back(PortErrorText(err, "/dev/ttyQ7"));
    vx::InstallStringTable();
    for (int off : {vx::kLanguageGerman, vx::kLanguageEnglish, vx::kLanguageFrench, vx::kLanguageSpanish}) {
        SetProgramLanguageOffset(off);
        for (size_t i = 0; i < std::size(errors); ++i) {
            const CString text = PortErrorText(errors[i], "/dev/ttyQ7");
            const int at = text.Find("/dev/ttyQ7");
            EXPECT_GE(at, 0) << off << " " << text.GetString();
            EXPECT_EQ(text.Find("/dev/ttyQ7", at + 1), -1) << off << " " << text.GetString();
            EXPECT_EQ(text.Find("%s"), -1) << off << " " << text.GetString();
            if (off == vx::kLanguageEnglish)
                EXPECT_EQ(text, own[i]);
            else
                EXPECT_NE(text, own[i]) << off << " " << text.GetString();
        }
    }
    EXPECT_EQ(PortErrorText(ENOENT, "/dev/ttyQ7"),
              vx::FromUtf8("El puerto serie /dev/ttyQ7 no está presente. Compruebe que el equipo está conectado o "
                           "elija otro puerto."));
    SetProgramLanguageOffset(vx::kLanguageGerman);
}
