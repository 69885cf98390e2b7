// The program's settings under its own key (set by the application object):
// section and value names are the ones stored files already use, so they
// are passed through unchanged. A '\' in a section name nests groups.
#pragma once

#include "platform/CString.h"
#include "platform/Profile.h"

#include <vector>

class ApplicationProfile {
public:
    static CString GetString(const char* section, const char* entry, const char* defaultValue = "")
    {
        return vx::GetProfileString(section, entry, defaultValue);
    }
    static int GetInt(const char* section, const char* entry, int defaultValue)
    {
        return static_cast<int>(vx::GetProfileInt(section, entry, defaultValue));
    }
    // False when the value is missing.
    static bool GetBinary(const char* section, const char* entry, std::vector<BYTE>& out)
    {
        return vx::GetProfileBinary(section, entry, out);
    }
    static bool WriteString(const char* section, const char* entry, const char* value)
    {
        return vx::WriteProfileString(section, entry, value) != FALSE;
    }
    static bool WriteInt(const char* section, const char* entry, int value)
    {
        return vx::WriteProfileInt(section, entry, value) != FALSE;
    }
    static bool WriteBinary(const char* section, const char* entry, const BYTE* data, UINT bytes)
    {
        return vx::WriteProfileBinary(section, entry, data, bytes) != FALSE;
    }
};
