// Every resource file of the program parses, and its templates are sound:
// a typo in a later-added template fails here, not when a user opens it.
#include "platform/DialogTemplate.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include "platform/Bmp.h"

#include <QImage>

#include <map>
#include <set>
#include <string_view>

namespace {
bool IsTextFile(const vxres::EmbeddedFile& f)
{
    const std::string_view n(f.name);
    return n.size() > 4 && n.substr(n.size() - 4) == ".vxr";
}
} // namespace

TEST(Resources, EveryFileParses)
{
    std::string errors;
    EXPECT_TRUE(vxres::InstallResources(&errors)) << errors;
}

TEST(Resources, ControlsStayInsideTheirDialog)
{
    for (const auto& f : vxres::EmbeddedFiles()) {
        if (!IsTextFile(f))
            continue;
        vx::ResourceSet set;
        std::string err;
        if (!vx::ParseResources(std::string_view(reinterpret_cast<const char*>(f.data), f.size),
                                f.name, set, err))
            continue; // reported by EveryFileParses
        for (const auto& d : set.dialogs)
            for (const auto& c : d.controls) {
                // Combo heights are the dropped list and may run past the bottom.
                const int bottom = c.kind == vx::ControlKind::ComboBox ? c.dlu.top + 12 : c.dlu.bottom;
                EXPECT_TRUE(c.dlu.left >= 0 && c.dlu.top >= 0 && c.dlu.right <= d.dluSize.cx
                            && bottom <= d.dluSize.cy)
                    << f.name << ": dialog " << d.id << " control " << c.id;
            }
    }
}

// A later file may replace a dialog with a fuller version of the same dialog
// (same caption); anything else defined twice is two things under one id.
TEST(Resources, IdsAreNotTakenTwice)
{
    std::map<unsigned, std::pair<std::string, CString>> dialogs;
    std::set<unsigned> menus;
    std::map<unsigned, CString> strings;
    for (const auto& f : vxres::EmbeddedFiles()) {
        if (!IsTextFile(f))
            continue;
        vx::ResourceSet set;
        std::string err;
        if (!vx::ParseResources(std::string_view(reinterpret_cast<const char*>(f.data), f.size),
                                f.name, set, err))
            continue;
        for (const auto& d : set.dialogs) {
            auto [it, fresh] = dialogs.emplace(d.id, std::make_pair(std::string(f.name), d.caption));
            EXPECT_TRUE(fresh || it->second.second == d.caption)
                << f.name << ": dialog " << d.id << " \"" << d.caption.GetString() << "\" is also \""
                << it->second.second.GetString() << "\" in " << it->second.first;
        }
        for (const auto& m : set.menus)
            EXPECT_TRUE(menus.insert(m.id).second) << f.name << ": menu " << m.id;
        for (const auto& [id, text] : set.strings) {
            auto [it, fresh] = strings.emplace(id, text);
            EXPECT_TRUE(fresh || it->second == text) << f.name << ": string " << id;
        }
    }
}

TEST(Resources, BitmapsAreFoundByTheirId)
{
    ASSERT_TRUE(vxres::InstallResources());
    for (const auto& f : vxres::EmbeddedFiles()) {
        if (IsTextFile(f))
            continue;
        const std::string_view n(f.name);
        const std::string base(n.substr(n.rfind('/') + 1));
        const UINT id = static_cast<UINT>(std::stoul(base));
        EXPECT_FALSE(vx::LoadResourceBitmap(id).isNull()) << f.name;
    }
}
