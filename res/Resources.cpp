#include "res/Resources.h"

#include "platform/Bmp.h"
#include "platform/DialogTemplate.h"

#include <cstdlib>
#include <string_view>

namespace vxres {

bool InstallResources(std::string* errors)
{
    bool ok = true;
    for (const EmbeddedFile& f : EmbeddedFiles()) {
        const std::string_view name(f.name);
        if (name.size() > 4 && name.substr(name.size() - 4) == ".bmp") {
            // bitmaps/<id>.bmp: the bitmap with that resource id.
            const std::string base(name.substr(name.rfind('/') + 1));
            char* end = nullptr;
            const unsigned long id = std::strtoul(base.c_str(), &end, 10);
            if (end && std::string_view(end) == ".bmp" && end != base.c_str())
                vx::RegisterResourceBitmap(static_cast<UINT>(id), std::vector<BYTE>(f.data, f.data + f.size));
            else if (errors)
                *errors += std::string(f.name) + ": a bitmap's name must be its resource id\n";
            continue;
        }
        std::string err;
        const std::string_view text(reinterpret_cast<const char*>(f.data), f.size);
        if (!vx::ResourceCatalogue::Instance().AddText(text, f.name, &err)) {
            ok = false;
            if (errors)
                *errors += err + "\n";
        }
    }
    return ok;
}

} // namespace vxres
