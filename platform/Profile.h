// The per-user profile: sections and values as the program names them, kept
// in ~/.config/Quorin Vandelwerk GmbH/VX35 VS.conf (under XDG_CONFIG_HOME).
// A '\' in a section name nests groups ("A\B" is group B inside A).
// Strings are stored as readable text and come back as the same 1252
// bytes; binary values come back byte for byte. Every write is flushed at
// once so nothing is lost when the program is killed.
#pragma once

#include "CString.h"
#include "Types.h"

#include <cstdint>
#include <vector>

namespace vx {

constexpr const char* kProfileOrganization = "Quorin Vandelwerk GmbH";
constexpr const char* kProfileApplication = "VX35 VS";

CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
// The stored number, or defaultValue when the value is missing or not a number.
UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
// *data is allocated with new[] (caller deletes[]); FALSE and null when missing.
BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes);
bool GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>& out);

// A null value deletes the entry; a null entry deletes the whole section.
// FALSE when the profile file could not be written; the first such failure
// (since the last save that worked) is shown to the user in a message box.
BOOL WriteProfileString(const char* section, const char* entry, const char* value);
BOOL WriteProfileInt(const char* section, const char* entry, int value);
BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes);

// The file behind the profile (for messages and tests).
CString ProfileFilePath();
// The sentence that follows the file's name in the box of a failed save,
// in the user's language.
void SetProfileFailureText(const CString& text);

// A profile file larger than this is not read: a real one holds a few
// kilobytes, and the settings object would take in the whole file, however
// large, before the window shows.
constexpr std::uint64_t kMaxProfileBytes = std::uint64_t(1) << 20;

// What became of an oversized profile: renamed to movedTo (the program
// starts with defaults), or, when that failed, left as it was with the
// reason in error (defaults, and nothing is saved). notRegular: the file's
// place held a pipe or a device, which is neither opened nor replaced
// (defaults, and nothing is saved).
struct ProfileSetAside {
    CString file;
    CString movedTo;
    CString error;
    std::uint64_t size = 0;
    bool notRegular = false;
};
// True once, after the profile was found oversized or no file, so the
// program can say so once in the user's language.
bool TakeProfileSetAside(ProfileSetAside& out);

// Drops the cached settings object, so the next access reads the file
// again (after XDG_CONFIG_HOME changed, in tests).
void ReloadProfile();

} // namespace vx
