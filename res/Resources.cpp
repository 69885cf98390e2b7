#include "res/Resources.h"

#include "platform/DialogTemplate.h"

#include <string_view>

namespace vxres {

bool InstallResources(std::string* errors)
{
    bool ok = true;
    for (const EmbeddedFile& f : EmbeddedFiles()) {
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
