#include "DialogTemplate.h"

#include "Text1252.h"

#include <cctype>
#include <charconv>
#include <optional>

namespace vx {

const ControlTemplate* DialogTemplate::FindControl(int ctlId) const
{
    for (const auto& c : controls)
        if (c.id == ctlId)
            return &c;
    return nullptr;
}

CRect DluToPixels(const CRect& dlu)
{
    return CRect(DluToPixelX(dlu.left), DluToPixelY(dlu.top), DluToPixelX(dlu.right),
                 DluToPixelY(dlu.bottom));
}

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

class Parser {
public:
    Parser(std::string_view src, const std::string& name) : m_src(src), m_name(name) {}

    bool Run(ResourceSet& out, std::string& error)
    {
        while (NextLine()) {
            const std::string& head = m_tok[0].text;
            if (m_tok[0].quoted)
                return Fail("a statement cannot start with a text");
            bool ok = false;
            if (head == "dialog")
                ok = ParseDialog(out);
            else if (head == "menu")
                ok = ParseMenu(out);
            else if (head == "strings")
                ok = ParseStrings(out);
            else
                ok = Fail("unknown statement '" + head + "'");
            if (!ok) {
                error = m_error;
                return false;
            }
        }
        if (!m_error.empty()) {
            error = m_error;
            return false;
        }
        return true;
    }

private:
    // Splits the next non-blank, non-comment line into tokens.
    bool NextLine()
    {
        m_tok.clear();
        while (m_tok.empty()) {
            if (m_pos >= m_src.size())
                return false;
            size_t end = m_src.find('\n', m_pos);
            if (end == std::string_view::npos)
                end = m_src.size();
            std::string_view line = m_src.substr(m_pos, end - m_pos);
            m_pos = end + 1;
            ++m_line;
            if (!Tokenize(line))
                return false;
        }
        return true;
    }

    bool Tokenize(std::string_view line)
    {
        size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
                continue;
            }
            if (c == '#')
                break;
            Token t;
            if (c == '"') {
                t.quoted = true;
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    char d = line[i++];
                    if (d == '"') {
                        closed = true;
                        break;
                    }
                    if (d == '\\' && i < line.size()) {
                        const char e = line[i++];
                        switch (e) {
                        case 'n': d = '\n'; break;
                        case 'r': d = '\r'; break;
                        case 't': d = '\t'; break;
                        case '"': d = '"'; break;
                        case '\\': d = '\\'; break;
                        default:
                            m_tok.clear();
                            return Fail(std::string("unknown escape \\") + e);
                        }
                    }
                    t.text += d;
                }
                if (!closed) {
                    m_tok.clear();
                    return Fail("text without closing quote");
                }
            } else {
                while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                    t.text += line[i++];
            }
            m_tok.push_back(std::move(t));
        }
        return true;
    }

    bool Fail(const std::string& msg)
    {
        if (m_error.empty())
            m_error = m_name + ":" + std::to_string(m_line) + ": " + msg;
        return false;
    }

    std::optional<long long> Number(size_t index)
    {
        if (index >= m_tok.size() || m_tok[index].quoted)
            return std::nullopt;
        const std::string& s = m_tok[index].text;
        long long v = 0;
        const char* b = s.data();
        const char* e = s.data() + s.size();
        int base = 10;
        bool neg = false;
        if (b != e && *b == '-') {
            neg = true;
            ++b;
        }
        if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) {
            b += 2;
            base = 16;
        }
        auto r = std::from_chars(b, e, v, base);
        if (r.ec != std::errc() || r.ptr != e || b == e)
            return std::nullopt;
        return neg ? -v : v;
    }

    bool Int(size_t index, const char* what, long long lo, long long hi, long long& out)
    {
        auto v = Number(index);
        if (!v)
            return Fail(std::string("expected a number for ") + what);
        if (*v < lo || *v > hi)
            return Fail(std::string(what) + " out of range");
        out = *v;
        return true;
    }

    bool IsEnd() const { return m_tok.size() == 1 && !m_tok[0].quoted && m_tok[0].text == "end"; }

    bool ParseDialog(ResourceSet& out)
    {
        DialogTemplate d;
        long long id = 0, w = 0, h = 0;
        if (!Int(1, "the dialog id", 1, 65535, id) || !Int(2, "the width", 1, 4000, w)
            || !Int(3, "the height", 1, 4000, h))
            return false;
        d.id = static_cast<UINT>(id);
        d.dluSize = CSize(static_cast<int>(w), static_cast<int>(h));
        d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        size_t i = 4;
        if (i < m_tok.size() && m_tok[i].quoted)
            d.caption = FromUtf8(m_tok[i++].text);
        for (; i < m_tok.size(); ++i) {
            const std::string& f = m_tok[i].text;
            if (m_tok[i].quoted)
                return Fail("unexpected text '" + f + "'");
            if (f == "child")
                d.style = (d.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU)) | WS_CHILD;
            else if (f == "popup")
                d.style = (d.style & ~WS_CHILD) | WS_POPUP;
            else if (f == "caption")
                d.style |= WS_CAPTION;
            else if (f == "nocaption")
                d.style &= ~(WS_CAPTION | WS_SYSMENU);
            else if (f == "visible")
                d.style |= WS_VISIBLE;
            else if (f == "disabled")
                d.style |= WS_DISABLED;
            else if (f.rfind("menu=", 0) == 0) {
                auto r = std::from_chars(f.data() + 5, f.data() + f.size(), d.menu);
                if (r.ec != std::errc() || r.ptr != f.data() + f.size())
                    return Fail("bad menu id in '" + f + "'");
            } else
                return Fail("unknown dialog flag '" + f + "'");
        }
        for (;;) {
            if (!NextLine())
                return Fail("dialog " + std::to_string(id) + " has no 'end'");
            if (IsEnd())
                break;
            ControlTemplate c;
            if (!ParseControl(c))
                return false;
            if (c.id != -1 && d.FindControl(c.id))
                return Fail("control id " + std::to_string(c.id) + " used twice");
            d.controls.push_back(std::move(c));
        }
        out.dialogs.push_back(std::move(d));
        return true;
    }

    bool ParseControl(ControlTemplate& c)
    {
        const std::string& kind = m_tok[0].text;
        DWORD style = WS_CHILD | WS_VISIBLE;
        struct KindInfo {
            const char* word;
            ControlKind kind;
            DWORD style;
        };
        static const KindInfo kinds[] = {
            {"button", ControlKind::PushButton, BS_PUSHBUTTON | WS_TABSTOP},
            {"defbutton", ControlKind::PushButton, BS_DEFPUSHBUTTON | WS_TABSTOP},
            {"check", ControlKind::CheckBox, BS_AUTOCHECKBOX | WS_TABSTOP},
            {"radio", ControlKind::RadioButton, BS_AUTORADIOBUTTON},
            {"group", ControlKind::GroupBox, BS_GROUPBOX},
            {"text", ControlKind::Static, SS_LEFT},
            {"ctext", ControlKind::Static, SS_CENTER},
            {"rtext", ControlKind::Static, SS_RIGHT},
            {"picture", ControlKind::Static, SS_BITMAP},
            {"frame", ControlKind::Static, SS_ETCHEDFRAME},
            {"blackbox", ControlKind::Static, SS_BLACKRECT},
            {"edit", ControlKind::Edit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
            {"combo", ControlKind::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
            {"list", ControlKind::ListBox, LBS_NOTIFY | WS_BORDER | WS_VSCROLL | WS_TABSTOP},
            {"trackbar", ControlKind::Trackbar, WS_TABSTOP},
            {"updown", ControlKind::UpDown, UDS_ARROWKEYS},
            {"datetime", ControlKind::DateTime, DTS_SHORTDATEFORMAT | WS_TABSTOP},
            {"tab", ControlKind::TabControl, WS_TABSTOP},
            {"richedit", ControlKind::RichEdit, ES_MULTILINE | WS_BORDER | WS_TABSTOP},
            {"custom", ControlKind::Custom, 0},
        };
        const KindInfo* info = nullptr;
        for (const auto& k : kinds)
            if (kind == k.word)
                info = &k;
        if (!info || m_tok[0].quoted)
            return Fail("unknown control kind '" + kind + "'");
        c.kind = info->kind;
        style |= info->style;
        long long id = 0, x = 0, y = 0, w = 0, h = 0;
        if (!Int(1, "the control id", -1, 65535, id) || !Int(2, "x", -4000, 4000, x)
            || !Int(3, "y", -4000, 4000, y) || !Int(4, "the width", 0, 4000, w)
            || !Int(5, "the height", 0, 4000, h))
            return false;
        c.id = static_cast<int>(id);
        c.dlu = CRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
                      static_cast<int>(y + h));
        size_t i = 6;
        if (i < m_tok.size() && m_tok[i].quoted)
            c.text = FromUtf8(m_tok[i++].text);
        for (; i < m_tok.size(); ++i) {
            if (m_tok[i].quoted)
                return Fail("unexpected text '" + m_tok[i].text + "'");
            if (!ApplyFlag(c, m_tok[i].text, style))
                return false;
        }
        c.style = style;
        if (c.kind == ControlKind::Static && (style & SS_TYPEMASK) == SS_BITMAP && c.image == 0)
            return Fail("a picture needs image=<bitmap id>");
        return true;
    }

    bool ApplyFlag(ControlTemplate& c, const std::string& f, DWORD& style)
    {
        using K = ControlKind;
        const K k = c.kind;
        auto setType = [&](DWORD mask, DWORD value) { style = (style & ~mask) | value; };
        if (f == "disabled") style |= WS_DISABLED;
        else if (f == "hidden") style &= ~WS_VISIBLE;
        else if (f == "group") style |= WS_GROUP;
        else if (f == "tabstop") style |= WS_TABSTOP;
        else if (f == "notab") style &= ~WS_TABSTOP;
        else if (f == "border") style |= WS_BORDER;
        else if (f == "noborder") style &= ~WS_BORDER;
        else if (f == "vscroll") style |= WS_VSCROLL;
        else if (f == "hscroll") style |= WS_HSCROLL;
        else if (f == "clientedge") c.exStyle |= WS_EX_CLIENTEDGE;
        else if (f.rfind("image=", 0) == 0 && k == K::Static) {
            auto r = std::from_chars(f.data() + 6, f.data() + f.size(), c.image);
            if (r.ec != std::errc() || r.ptr != f.data() + f.size())
                return Fail("bad bitmap id in '" + f + "'");
        } else if (f.rfind("class=", 0) == 0 && k == K::Custom) c.className = FromUtf8(f.substr(6));
        else if (f.rfind("font=", 0) == 0) {
            auto r = std::from_chars(f.data() + 5, f.data() + f.size(), c.fontPixels);
            if (r.ec != std::errc() || r.ptr != f.data() + f.size() || c.fontPixels < 6 || c.fontPixels > 40)
                return Fail("bad font size in '" + f + "' (pixels, 6..40)");
        }
        else if (k == K::Edit || k == K::RichEdit) {
            if (f == "readonly") style |= ES_READONLY;
            else if (f == "multiline") style |= ES_MULTILINE;
            else if (f == "center") style |= ES_CENTER;
            else if (f == "right") style |= ES_RIGHT;
            else if (f == "password") style |= ES_PASSWORD;
            else if (f == "number") style |= ES_NUMBER;
            else if (f == "uppercase") style |= ES_UPPERCASE;
            else if (f == "wantreturn") style |= ES_WANTRETURN;
            else if (f == "autovscroll") style |= ES_AUTOVSCROLL;
            else if (f == "noautohscroll") style &= ~ES_AUTOHSCROLL;
            else return Fail("unknown edit flag '" + f + "'");
        } else if (k == K::ComboBox) {
            if (f == "dropdown") setType(CBS_TYPEMASK, CBS_DROPDOWN);
            else if (f == "droplist") setType(CBS_TYPEMASK, CBS_DROPDOWNLIST);
            else if (f == "simple") setType(CBS_TYPEMASK, CBS_SIMPLE);
            else if (f == "ownerdraw") style |= CBS_OWNERDRAWFIXED;
            else if (f == "sort") style |= CBS_SORT;
            else if (f == "hasstrings") style |= CBS_HASSTRINGS;
            else return Fail("unknown combo flag '" + f + "'");
        } else if (k == K::ListBox) {
            if (f == "sort") style |= LBS_SORT;
            else return Fail("unknown list flag '" + f + "'");
        } else if (k == K::PushButton || k == K::CheckBox || k == K::RadioButton) {
            if (f == "ownerdraw") setType(BS_TYPEMASK, BS_OWNERDRAW);
            else if (f == "pushlike") style |= BS_PUSHLIKE;
            else if (f == "3state" && k == K::CheckBox) setType(BS_TYPEMASK, BS_AUTO3STATE);
            else return Fail("unknown button flag '" + f + "'");
        } else if (k == K::Static) {
            if (f == "center") setType(SS_TYPEMASK, SS_CENTER);
            else if (f == "right") setType(SS_TYPEMASK, SS_RIGHT);
            else if (f == "sunken") style |= SS_SUNKEN;
            else return Fail("unknown static flag '" + f + "'");
        } else if (k == K::Trackbar) {
            if (f == "vertical") style |= TBS_VERT;
            else if (f == "autoticks") style |= TBS_AUTOTICKS;
            else if (f == "both") style |= TBS_BOTH;
            else if (f == "noticks") style |= TBS_NOTICKS;
            else return Fail("unknown trackbar flag '" + f + "'");
        } else if (k == K::UpDown) {
            if (f == "autobuddy") style |= UDS_AUTOBUDDY;
            else if (f == "setbuddyint") style |= UDS_SETBUDDYINT;
            else if (f == "alignright") style |= UDS_ALIGNRIGHT;
            else if (f == "alignleft") style |= UDS_ALIGNLEFT;
            else if (f == "wrap") style |= UDS_WRAP;
            else if (f == "horizontal") style |= UDS_HORZ;
            else if (f == "nothousands") style |= UDS_NOTHOUSANDS;
            else if (f == "arrowkeys") style |= UDS_ARROWKEYS;
            else return Fail("unknown up-down flag '" + f + "'");
        } else if (k == K::DateTime) {
            if (f == "time") setType(0xF, DTS_TIMEFORMAT);
            else if (f == "updown") style |= DTS_UPDOWN;
            else if (f == "rightalign") style |= DTS_RIGHTALIGN;
            else if (f == "shownone") style |= DTS_SHOWNONE;
            else return Fail("unknown date-time flag '" + f + "'");
        } else
            return Fail("unknown flag '" + f + "'");
        return true;
    }

    bool ParseMenuItems(std::vector<MenuItemTemplate>& items, const std::string& what)
    {
        for (;;) {
            if (!NextLine())
                return Fail(what + " has no 'end'");
            if (IsEnd())
                return true;
            const std::string& head = m_tok[0].text;
            MenuItemTemplate item;
            size_t i = 1;
            if (head == "separator" && !m_tok[0].quoted) {
                item.kind = MenuItemTemplate::Separator;
                if (m_tok.size() != 1)
                    return Fail("a separator takes nothing more");
                items.push_back(std::move(item));
                continue;
            }
            if (head == "item" && !m_tok[0].quoted) {
                long long id = 0;
                if (!Int(1, "the command id", 1, 65535, id))
                    return false;
                item.id = static_cast<UINT>(id);
                i = 2;
            } else if (head == "popup" && !m_tok[0].quoted) {
                item.kind = MenuItemTemplate::Popup;
            } else {
                return Fail("expected item, popup, separator or end");
            }
            if (i >= m_tok.size() || !m_tok[i].quoted)
                return Fail("a menu entry needs its text");
            item.text = FromUtf8(m_tok[i++].text);
            for (; i < m_tok.size(); ++i) {
                if (m_tok[i].text == "grayed" && !m_tok[i].quoted)
                    item.grayed = true;
                else if (m_tok[i].text == "checked" && !m_tok[i].quoted)
                    item.checked = true;
                else
                    return Fail("unknown menu flag '" + m_tok[i].text + "'");
            }
            if (item.kind == MenuItemTemplate::Popup
                && !ParseMenuItems(item.children, "a popup of " + what))
                return false;
            items.push_back(std::move(item));
        }
    }

    bool ParseMenu(ResourceSet& out)
    {
        MenuTemplate m;
        long long id = 0;
        if (!Int(1, "the menu id", 1, 65535, id))
            return false;
        if (m_tok.size() != 2)
            return Fail("menu takes only its id");
        m.id = static_cast<UINT>(id);
        if (!ParseMenuItems(m.items, "menu " + std::to_string(id)))
            return false;
        out.menus.push_back(std::move(m));
        return true;
    }

    bool ParseStrings(ResourceSet& out)
    {
        if (m_tok.size() != 1)
            return Fail("strings takes nothing more");
        for (;;) {
            if (!NextLine())
                return Fail("strings has no 'end'");
            if (IsEnd())
                return true;
            long long id = 0;
            if (!Int(0, "the string id", 0, 65535, id))
                return false;
            if (m_tok.size() != 2 || !m_tok[1].quoted)
                return Fail("expected: <id> \"text\"");
            if (!out.strings.emplace(static_cast<UINT>(id), FromUtf8(m_tok[1].text)).second)
                return Fail("string " + std::to_string(id) + " defined twice");
        }
    }

    std::string_view m_src;
    std::string m_name;
    size_t m_pos = 0;
    int m_line = 0;
    std::vector<Token> m_tok;
    std::string m_error;
};

} // namespace

bool ParseResources(std::string_view utf8, const std::string& fileName, ResourceSet& out,
                    std::string& error)
{
    ResourceSet set;
    Parser p(utf8, fileName);
    if (!p.Run(set, error))
        return false;
    out = std::move(set);
    return true;
}

ResourceCatalogue& ResourceCatalogue::Instance()
{
    static ResourceCatalogue catalogue;
    return catalogue;
}

namespace {
bool LookupString(UINT id, CString& out) { return ResourceCatalogue::Instance().FindString(id, out); }
} // namespace

void ResourceCatalogue::Add(ResourceSet set)
{
    for (auto& d : set.dialogs)
        m_dialogs[d.id] = std::move(d);
    for (auto& m : set.menus)
        m_menus[m.id] = std::move(m);
    for (auto& [id, text] : set.strings)
        m_strings[id] = std::move(text);
}

void ResourceCatalogue::InstallAsStringTable() { SetStringTableLookup(&LookupString); }

bool ResourceCatalogue::AddText(std::string_view utf8, const std::string& fileName,
                                std::string* error)
{
    ResourceSet set;
    std::string err;
    if (!ParseResources(utf8, fileName, set, err)) {
        if (error)
            *error = err;
        return false;
    }
    Add(std::move(set));
    return true;
}

void ResourceCatalogue::Clear()
{
    m_dialogs.clear();
    m_menus.clear();
    m_strings.clear();
}

const DialogTemplate* ResourceCatalogue::FindDialog(UINT id) const
{
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

const MenuTemplate* ResourceCatalogue::FindMenu(UINT id) const
{
    auto it = m_menus.find(id);
    return it == m_menus.end() ? nullptr : &it->second;
}

bool ResourceCatalogue::FindString(UINT id, CString& out) const
{
    auto it = m_strings.find(id);
    if (it == m_strings.end())
        return false;
    out = it->second;
    return true;
}

} // namespace vx
