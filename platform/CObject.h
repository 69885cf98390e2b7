// Run-time class information: every class declared with VX_DECLARE_DYNAMIC
// or VX_DECLARE_SERIAL knows its name, base and schema, and serialisable
// classes register themselves by name at start-up so an archive can create
// them from the name it stored.
#pragma once

#include "Types.h"

class CArchive;
class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                     // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();    // null: not dynamically creatable
    const CRuntimeClass* m_pBaseClass;

    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // Serialisable classes by stored name; null when unknown.
    static const CRuntimeClass* FromName(const char* name);
    static void Register(const CRuntimeClass* cls);
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    bool IsKindOf(const CRuntimeClass* cls) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define VX_RUNTIME_CLASS(cls) (&cls::class##cls)

#define VX_DECLARE_DYNAMIC(cls)                                        \
public:                                                                \
    static const CRuntimeClass class##cls;                             \
    const CRuntimeClass* GetRuntimeClass() const override;

#define VX_DECLARE_SERIAL(cls)                                         \
    VX_DECLARE_DYNAMIC(cls)                                            \
    static CObject* CreateObject();

#define VX_IMPLEMENT_DYNAMIC(cls, base)                                \
    const CRuntimeClass cls::class##cls = {#cls, sizeof(cls), 0xFFFF,  \
                                           nullptr, VX_RUNTIME_CLASS(base)}; \
    const CRuntimeClass* cls::GetRuntimeClass() const { return &class##cls; }

#define VX_IMPLEMENT_SERIAL(cls, base, schema)                         \
    CObject* cls::CreateObject() { return new cls; }                   \
    const CRuntimeClass cls::class##cls = {#cls, sizeof(cls), schema,  \
                                           cls::CreateObject, VX_RUNTIME_CLASS(base)}; \
    const CRuntimeClass* cls::GetRuntimeClass() const { return &class##cls; } \
    namespace { [[maybe_unused]] const bool vx_registered_##cls =      \
        (CRuntimeClass::Register(&cls::class##cls), true); }
