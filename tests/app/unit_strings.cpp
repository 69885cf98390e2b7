#include "app/StringTable.h"

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
