// Dialog templates, menus and string tables as data. res/ holds them as
// UTF-8 text files (format in res/README.md); they are parsed here, texts
// converted to code page 1252, and kept in one process-wide catalogue that
// CDialog and CMenu read (and CString::LoadString, when installed).
#pragma once

#include "CString.h"
#include "DialogStyles.h"
#include "Geometry.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class ControlKind {
    PushButton,   // also the default button (BS_DEFPUSHBUTTON) and owner-drawn buttons
    CheckBox,
    RadioButton,
    GroupBox,
    Static,       // text, frame or bitmap
    Edit,
    ComboBox,
    ListBox,
    Trackbar,
    UpDown,
    DateTime,
    TabControl,
    RichEdit,
    Custom,       // a window of the program's own class, bound by DDX_Control or SubclassDlgItem
};

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = -1;
    CString text;
    CRect dlu;        // in dialog units, right/bottom = x + w, y + h
    DWORD style = 0;  // WS_* plus the kind's own bits
    DWORD exStyle = 0;
    UINT image = 0;   // bitmap id of a picture static
    CString className;
    int fontPixels = 0;   // a smaller font for a text that needs it; 0: the dialog font
};

struct DialogTemplate {
    UINT id = 0;
    CString caption;
    CSize dluSize;
    DWORD style = 0;
    UINT menu = 0;    // menu bar resource, 0 for none
    std::vector<ControlTemplate> controls;

    const ControlTemplate* FindControl(int id) const;
};

struct MenuItemTemplate {
    enum Kind { Item, Popup, Separator } kind = Item;
    UINT id = 0;
    CString text;
    bool grayed = false;
    bool checked = false;
    std::vector<MenuItemTemplate> children;
};

struct MenuTemplate {
    UINT id = 0;
    std::vector<MenuItemTemplate> items;
};

// What one resource file declares.
struct ResourceSet {
    std::vector<DialogTemplate> dialogs;
    std::vector<MenuTemplate> menus;
    std::map<UINT, CString> strings;
};

// Parses one resource file. On a syntax error returns false and sets
// error to "name:line: message"; nothing of the file is kept then, so a
// broken template never shows up half-built.
bool ParseResources(std::string_view utf8, const std::string& fileName, ResourceSet& out,
                    std::string& error);

// The program-wide catalogue. Adding replaces entries of the same id (later
// files win), which keeps tests free to install their own templates.
class ResourceCatalogue {
public:
    static ResourceCatalogue& Instance();

    void Add(ResourceSet set);
    // Parses and adds; false with error set on a syntax error.
    bool AddText(std::string_view utf8, const std::string& fileName, std::string* error = nullptr);
    void Clear();
    // Makes CString::LoadString read the catalogue's strings.
    static void InstallAsStringTable();

    const DialogTemplate* FindDialog(UINT id) const;
    const MenuTemplate* FindMenu(UINT id) const;
    bool FindString(UINT id, CString& out) const;

private:
    std::map<UINT, DialogTemplate> m_dialogs;
    std::map<UINT, MenuTemplate> m_menus;
    std::map<UINT, CString> m_strings;
};

// One fixed dialog-unit mapping for the whole program: the base units of
// the dialog font (8 pt sans serif at 96 dpi: 6 x 13 pixels), so that a
// template lays out the same on every desktop.
constexpr int kDluBaseX = 6;
constexpr int kDluBaseY = 13;
constexpr int DluToPixelX(int dlu) { return (dlu * kDluBaseX + (dlu >= 0 ? 2 : -2)) / 4; }
constexpr int DluToPixelY(int dlu) { return (dlu * kDluBaseY + (dlu >= 0 ? 4 : -4)) / 8; }
CRect DluToPixels(const CRect& dlu);
// The pixel size of the dialog font; every templated window uses it.
constexpr int kDialogFontPixels = 11;
constexpr const char* kDialogFontFamily = "Liberation Sans";

} // namespace vx
