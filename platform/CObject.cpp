#include "CObject.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

std::map<std::string, const CRuntimeClass*>& Registry()
{
    static std::map<std::string, const CRuntimeClass*> r;
    return r;
}

std::mutex& RegistryLock()
{
    static std::mutex m;
    return m;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name)
{
    if (!name)
        return nullptr;
    std::lock_guard<std::mutex> lock(RegistryLock());
    const auto it = Registry().find(name);
    return it == Registry().end() ? nullptr : it->second;
}

void CRuntimeClass::Register(const CRuntimeClass* cls)
{
    std::lock_guard<std::mutex> lock(RegistryLock());
    Registry()[cls->m_lpszClassName] = cls;
}
