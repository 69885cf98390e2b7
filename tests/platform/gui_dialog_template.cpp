// The resource file format: what later templates rely on, and that a broken
// file is refused with its line rather than half-loaded.
#include "platform/DialogTemplate.h"

#include <gtest/gtest.h>

using namespace vx;

TEST(DialogTemplateFormat, ParsesDialogControlsMenusAndStrings)
{
    const char* src = R"(# a comment
dialog 108 360 195 "Einrichten" child
  group 1029 6 6 347 181 ""   # placeholder
  edit  1125 10 20 80 12 readonly multiline wantreturn
  combo 6057 10 40 80 60 dropdown ownerdraw
  radio 6062 10 60 40 10 "A" group disabled
  text    -1 10 70 40 8 "L\"x\"\tz"
  text    -1 10 80 40 8 "Löschen"
  custom 1064 0 0 10 10 class=PlotWnd
end
menu 128
  popup "&Datei"
    item 32771 "Ö&ffnen" grayed
    separator
    popup "Sub"
      item 32772 "X" checked
    end
  end
end
strings
  5100 "Auslesen"
  0x13ED "ümlaut"
end
)";
    ResourceSet set;
    std::string err;
    ASSERT_TRUE(ParseResources(src, "t.vxr", set, err)) << err;
    ASSERT_EQ(set.dialogs.size(), 1u);
    const DialogTemplate& d = set.dialogs[0];
    EXPECT_EQ(d.id, 108u);
    EXPECT_EQ(d.caption, "Einrichten");
    EXPECT_EQ(d.dluSize, CSize(360, 195));
    EXPECT_TRUE(d.style & WS_CHILD);
    EXPECT_FALSE(d.style & WS_CAPTION);
    ASSERT_EQ(d.controls.size(), 7u);
    EXPECT_EQ(d.controls[0].kind, ControlKind::GroupBox);
    EXPECT_EQ(d.controls[0].dlu, CRect(6, 6, 353, 187));
    const DWORD es = d.FindControl(1125)->style;
    EXPECT_EQ(es & (ES_READONLY | ES_MULTILINE | ES_WANTRETURN), ES_READONLY | ES_MULTILINE | ES_WANTRETURN);
    EXPECT_TRUE(es & WS_VISIBLE);
    const DWORD cs = d.FindControl(6057)->style;
    EXPECT_EQ(cs & CBS_TYPEMASK, CBS_DROPDOWN);
    EXPECT_TRUE(cs & CBS_OWNERDRAWFIXED);
    const DWORD rs = d.FindControl(6062)->style;
    EXPECT_TRUE((rs & WS_GROUP) && (rs & WS_DISABLED));
    EXPECT_EQ(d.controls[4].text, "L\"x\"\tz");
    EXPECT_EQ(d.controls[5].text, CString("L\xF6schen")); // UTF-8 source, 1252 in memory
    EXPECT_EQ(d.FindControl(1064)->className, "PlotWnd");

    ASSERT_EQ(set.menus.size(), 1u);
    const auto& top = set.menus[0].items;
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].kind, MenuItemTemplate::Popup);
    ASSERT_EQ(top[0].children.size(), 3u);
    EXPECT_EQ(top[0].children[0].text, CString("\xD6&ffnen"));
    EXPECT_TRUE(top[0].children[0].grayed);
    EXPECT_EQ(top[0].children[1].kind, MenuItemTemplate::Separator);
    EXPECT_TRUE(top[0].children[2].children.at(0).checked);

    EXPECT_EQ(set.strings.at(5100), "Auslesen");
    EXPECT_EQ(set.strings.at(5101), CString("\xFCmlaut"));
}

TEST(DialogTemplateFormat, RefusesBrokenFilesWithTheirLine)
{
    struct Case {
        const char* src;
        const char* where;
    };
    const Case cases[] = {
        {"dialog 1 10 10\n  edit 5 0 0 10 10 bogus\nend\n", "t.vxr:2:"},
        {"dialog 1 10 10\n  edit 5 0 0 10 10\n", "no 'end'"},
        {"dialog 1 10 10\n  edit 5 0 0 10 10\n  check 5 0 0 1 1\nend\n", "t.vxr:3: control id 5 used twice"},
        {"strings\n 1 \"a\"\n 1 \"b\"\nend\n", "t.vxr:3:"},
        {"strings\n 1 \"unclosed\nend\n", "t.vxr:2:"},
        {"\n\nwidget 3\n", "t.vxr:3: unknown statement"},
        {"dialog 1 10 10\n  picture 5 0 0 10 10\nend\n", "image="},
        {"menu 7\n  item 1\nend\n", "needs its text"},
        {"dialog 1 x 10\nend\n", "t.vxr:1:"},
        {"dialog 1 10 10\n  text 5 0 0 10 10 \"a\" font=2\nend\n", "t.vxr:2: bad font size"},
    };
    for (const auto& c : cases) {
        ResourceSet set;
        set.strings[99] = "kept";
        std::string err;
        EXPECT_FALSE(ParseResources(c.src, "t.vxr", set, err)) << c.src;
        EXPECT_NE(err.find(c.where), std::string::npos) << err;
        EXPECT_EQ(set.strings.count(99), 1u) << "a failed parse must leave the output alone";
    }
}

TEST(DialogTemplateFormat, CatalogueServesLoadStringAndLaterFilesWin)
{
    auto& cat = ResourceCatalogue::Instance();
    ASSERT_TRUE(cat.AddText("strings\n 64001 \"eins\"\nend\ndialog 64001 10 10\nend\n", "a.vxr"));
    ASSERT_TRUE(cat.AddText("strings\n 64001 \"zwei\"\nend\n", "b.vxr"));
    ResourceCatalogue::InstallAsStringTable();
    CString s;
    EXPECT_TRUE(s.LoadString(64001));
    EXPECT_EQ(s, "zwei");
    EXPECT_FALSE(s.LoadString(64002));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_NE(cat.FindDialog(64001), nullptr);
    std::string err;
    EXPECT_FALSE(cat.AddText("strings\n 64003 \"x\"\n", "c.vxr", &err));
    EXPECT_FALSE(s.LoadString(64003));
}

TEST(DialogUnits, FixedMappingRoundsLikeTheDialogManager)
{
    EXPECT_EQ(DluToPixelX(4), 6);
    EXPECT_EQ(DluToPixelY(8), 13);
    EXPECT_EQ(DluToPixelX(50), 75);
    EXPECT_EQ(DluToPixelY(14), 23); // 22.75 rounds up
    EXPECT_EQ(DluToPixelX(1), 2);   // 1.5 rounds away from zero
    EXPECT_EQ(DluToPixelX(-7), -11);
    EXPECT_EQ(DluToPixels(CRect(6, 6, 353, 187)), CRect(9, 10, 530, 304));
}
