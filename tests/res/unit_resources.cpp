// Every resource file of the program parses, and its templates are sound:
// a typo in a later-added template fails here, not when a user opens it.
#include "platform/DialogTemplate.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include "platform/Bmp.h"

#include <QImage>

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

TEST(Resources, IdsAreNotDefinedTwiceAcrossFiles)
{
    std::set<unsigned> dialogs, menus, strings;
    for (const auto& f : vxres::EmbeddedFiles()) {
        if (!IsTextFile(f))
            continue;
        vx::ResourceSet set;
        std::string err;
        if (!vx::ParseResources(std::string_view(reinterpret_cast<const char*>(f.data), f.size),
                                f.name, set, err))
            continue;
        for (const auto& d : set.dialogs)
            EXPECT_TRUE(dialogs.insert(d.id).second) << f.name << ": dialog " << d.id;
        for (const auto& m : set.menus)
            EXPECT_TRUE(menus.insert(m.id).second) << f.name << ": menu " << m.id;
        for (const auto& [id, text] : set.strings)
            EXPECT_TRUE(strings.insert(id).second) << f.name << ": string " << id;
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
