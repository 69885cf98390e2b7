#include "Menu.h"

#include "DialogTemplate.h"
#include "Modal.h"
#include "Text1252.h"
#include "Wnd.h"

#include <QAction>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <functional>
#include <vector>

struct CMenu::Data {
    struct Item {
        UINT id = 0;
        UINT flags = 0;   // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
        CString text;
        std::shared_ptr<Data> sub;
        std::unique_ptr<CMenu> subWrapper;   // what GetSubMenu hands out
    };
    std::vector<Item> items;
    std::weak_ptr<Data> parent;
    // Menu bars showing this (root) menu, and the window they report to.
    struct Bar {
        QPointer<QMenuBar> bar;
        CWnd* owner;
        std::uint64_t serial;
    };
    std::vector<Bar> bars;
};

namespace {

using Data = CMenu::Data;

// The item and the menu holding it, by command id (searching submenus) or
// by position in this menu.
struct Found {
    Data* menu = nullptr;
    size_t index = 0;
};

Found FindItem(Data* d, UINT item, UINT flags)
{
    if (!d)
        return {};
    if (flags & MF_BYPOSITION) {
        if (item < d->items.size())
            return {d, item};
        return {};
    }
    for (size_t i = 0; i < d->items.size(); ++i) {
        const auto& it = d->items[i];
        if (!(it.flags & (MF_POPUP | MF_SEPARATOR)) && it.id == item)
            return {d, i};
        if ((it.flags & MF_POPUP) && it.sub)
            if (Found f = FindItem(it.sub.get(), item, flags); f.menu)
                return f;
    }
    return {};
}

Data* Root(Data* d)
{
    while (d) {
        auto p = d->parent.lock();
        if (!p)
            break;
        d = p.get();
    }
    return d;
}

void Fill(QMenu* menu, const Data& d, const std::function<void(UINT)>& chosen);

// Menus use the dialogs' font, not the desktop theme's menu font (which a
// bar would get by its class, and a popup since it has no parent to inherit
// from).
QFont MenuFont()
{
    QFont f(QString::fromLatin1(vx::kDialogFontFamily));
    f.setPixelSize(vx::kDialogFontPixels);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void AddItems(QWidget* target, const Data& d, const std::function<void(UINT)>& chosen, bool bar)
{
    for (const auto& it : d.items) {
        if (it.flags & MF_SEPARATOR) {
            if (bar)
                static_cast<QMenuBar*>(target)->addSeparator();
            else
                static_cast<QMenu*>(target)->addSeparator();
            continue;
        }
        const QString text = vx::ToQString(it.text);
        const bool enabled = !(it.flags & (MF_GRAYED | MF_DISABLED));
        if ((it.flags & MF_POPUP) && it.sub) {
            QMenu* sub = bar ? static_cast<QMenuBar*>(target)->addMenu(text) : static_cast<QMenu*>(target)->addMenu(text);
            sub->setEnabled(enabled);
            Fill(sub, *it.sub, chosen);
            continue;
        }
        QAction* a = bar ? static_cast<QMenuBar*>(target)->addAction(text) : static_cast<QMenu*>(target)->addAction(text);
        a->setEnabled(enabled);
        a->setCheckable((it.flags & MF_CHECKED) != 0);
        a->setChecked((it.flags & MF_CHECKED) != 0);
        a->setData(it.id);
        const UINT id = it.id;
        QObject::connect(a, &QAction::triggered, a, [chosen, id] { chosen(id); });
    }
}

void Fill(QMenu* menu, const Data& d, const std::function<void(UINT)>& chosen)
{
    menu->setFont(MenuFont());
    AddItems(menu, d, chosen, false);
}

void Rebuild(Data::Bar& b, const Data& root)
{
    QMenuBar* bar = b.bar;
    if (!bar)
        return;
    // Old submenus may be on screen (a handler changing the menu it came
    // from): let them go once the event is done.
    for (QAction* a : bar->actions())
        if (QMenu* m = a->menu())
            m->deleteLater();
    bar->clear();
    bar->setFont(MenuFont());
    CWnd* owner = b.owner;
    const std::uint64_t serial = b.serial;
    AddItems(bar, root, [owner, serial](UINT id) {
        if (CWnd::IsLive(owner, serial))
            owner->SendMessage(WM_COMMAND, id, 0);
    }, true);
}

void Changed(Data* d)
{
    Data* root = Root(d);
    if (!root)
        return;
    for (auto& b : root->bars)
        Rebuild(b, *root);
}

// Grey and check marks change the shown actions in place, so that a menu
// the user has open keeps working.
void SyncActions(const QList<QAction*>& actions, const Data& d)
{
    size_t i = 0;
    for (QAction* a : actions) {
        if (i >= d.items.size())
            return;
        const auto& it = d.items[i++];
        const bool enabled = !(it.flags & (MF_GRAYED | MF_DISABLED));
        if (QMenu* m = a->menu()) {
            m->setEnabled(enabled);
            if (it.sub)
                SyncActions(m->actions(), *it.sub);
            continue;
        }
        if (a->isSeparator())
            continue;
        a->setEnabled(enabled);
        a->setCheckable((it.flags & MF_CHECKED) != 0);
        a->setChecked((it.flags & MF_CHECKED) != 0);
    }
}

void StateChanged(Data* d)
{
    Data* root = Root(d);
    if (!root)
        return;
    for (auto& b : root->bars)
        if (b.bar)
            SyncActions(b.bar->actions(), *root);
}

void CollectEnabled(const Data& d, std::vector<UINT>& out)
{
    for (const auto& it : d.items) {
        if (it.flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR))
            continue;
        if (it.flags & MF_POPUP) {
            if (it.sub)
                CollectEnabled(*it.sub, out);
        } else {
            out.push_back(it.id);
        }
    }
}

void FromTemplate(Data& d, const std::vector<vx::MenuItemTemplate>& items, const std::shared_ptr<Data>& self)
{
    for (const auto& t : items) {
        Data::Item it;
        it.text = t.text;
        if (t.kind == vx::MenuItemTemplate::Separator) {
            it.flags = MF_SEPARATOR;
        } else if (t.kind == vx::MenuItemTemplate::Popup) {
            it.flags = MF_POPUP;
            it.sub = std::make_shared<Data>();
            it.sub->parent = self;
            FromTemplate(*it.sub, t.children, it.sub);
        } else {
            it.id = t.id;
        }
        if (t.grayed)
            it.flags |= MF_GRAYED;
        if (t.checked)
            it.flags |= MF_CHECKED;
        d.items.push_back(std::move(it));
    }
}

} // namespace

CMenu::CMenu() = default;
CMenu::CMenu(std::shared_ptr<Data> d) : m_d(std::move(d)) {}
CMenu::~CMenu() = default;

BOOL CMenu::CreateMenu()
{
    m_d = std::make_shared<Data>();
    return TRUE;
}

BOOL CMenu::CreatePopupMenu() { return CreateMenu(); }

BOOL CMenu::LoadMenu(UINT id)
{
    const vx::MenuTemplate* t = vx::ResourceCatalogue::Instance().FindMenu(id);
    if (!t)
        return FALSE;
    m_d = std::make_shared<Data>();
    FromTemplate(*m_d, t->items, m_d);
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_d)
        return FALSE;
    for (auto& b : m_d->bars)
        if (b.bar)
            b.bar->clear();
    m_d.reset();
    return TRUE;
}

namespace {
Data::Item MakeItem(UINT flags, UINT_PTR idOrPopup, const char* text, const std::shared_ptr<Data>& parent)
{
    Data::Item it;
    it.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
    it.text = text ? CString(text) : CString();
    if (flags & MF_POPUP) {
        auto* sub = reinterpret_cast<CMenu*>(idOrPopup);
        // Shares the submenu's items (a copy made at the time would miss
        // later changes through the submenu object).
        it.sub = sub ? sub->SharedData() : nullptr;
        if (!it.sub)
            it.sub = std::make_shared<Data>();
        it.sub->parent = parent;
    } else if (!(flags & MF_SEPARATOR)) {
        it.id = static_cast<UINT>(idOrPopup);
    }
    return it;
}
} // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, const char* text)
{
    if (!m_d)
        return FALSE;
    m_d->items.push_back(MakeItem(flags, idOrPopup, text, m_d));
    Changed(m_d.get());
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup, const char* text)
{
    Found f = FindItem(m_d.get(), position, flags);
    if (!f.menu)
        return FALSE;
    auto& it = f.menu->items[f.index];
    const auto parent = it.sub ? it.sub->parent : std::weak_ptr<Data>();
    Data::Item repl = MakeItem(flags, idOrPopup, text, parent.lock() ? parent.lock() : m_d);
    it.flags = repl.flags;
    it.text = repl.text;
    it.id = repl.id;
    if (repl.flags & MF_POPUP)
        it.sub = repl.sub;
    else
        it.sub.reset();
    it.subWrapper.reset();
    Changed(m_d.get());
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable)
{
    Found f = FindItem(m_d.get(), item, enable);
    if (!f.menu)
        return kMenuError;
    auto& it = f.menu->items[f.index];
    const UINT old = it.flags & (MF_GRAYED | MF_DISABLED);
    it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    if (old != (it.flags & (MF_GRAYED | MF_DISABLED)))
        StateChanged(f.menu);
    return old;
}

UINT CMenu::CheckMenuItem(UINT item, UINT check)
{
    Found f = FindItem(m_d.get(), item, check);
    if (!f.menu)
        return kMenuError;
    auto& it = f.menu->items[f.index];
    const UINT old = it.flags & MF_CHECKED;
    it.flags = (it.flags & ~MF_CHECKED) | (check & MF_CHECKED);
    if (old != (it.flags & MF_CHECKED))
        StateChanged(f.menu);
    return old;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const
{
    Found f = FindItem(m_d.get(), item, flags);
    if (!f.menu)
        return kMenuError;
    const auto& it = f.menu->items[f.index];
    if ((it.flags & MF_POPUP) && it.sub)
        return (static_cast<UINT>(it.sub->items.size()) << 8) | (it.flags & 0xFF);
    return it.flags;
}

int CMenu::GetMenuItemCount() const
{
    return m_d ? static_cast<int>(m_d->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const
{
    if (!m_d || position < 0 || position >= GetMenuItemCount())
        return kMenuError;
    const auto& it = m_d->items[static_cast<size_t>(position)];
    if (it.flags & MF_POPUP)
        return kMenuError;
    return (it.flags & MF_SEPARATOR) ? 0 : it.id;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    Found f = FindItem(m_d.get(), item, flags);
    if (!f.menu) {
        text.Empty();
        return 0;
    }
    text = f.menu->items[f.index].text;
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const
{
    if (!m_d || position < 0 || position >= GetMenuItemCount())
        return nullptr;
    auto& it = m_d->items[static_cast<size_t>(position)];
    if (!(it.flags & MF_POPUP) || !it.sub)
        return nullptr;
    if (!it.subWrapper)
        it.subWrapper.reset(new CMenu(it.sub));
    return it.subWrapper.get();
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT*)
{
    if (!m_d)
        return FALSE;
    std::vector<UINT> offered;
    CollectEnabled(*m_d, offered);
    auto data = m_d;
    const UINT cmd = vx::ChoosePopupCommand(offered, [data, x, y]() -> UINT {
        QMenu menu;
        UINT chosen = 0;
        Fill(&menu, *data, [&chosen](UINT id) { chosen = id; });
        menu.exec(QPoint(x, y));
        return chosen;
    });
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(cmd);
    if (cmd && owner && !(flags & TPM_NONOTIFY))
        owner->PostMessage(WM_COMMAND, cmd, 0);
    return TRUE;
}

void CMenu::AttachToMenuBar(QMenuBar* bar, CWnd* owner)
{
    if (!m_d || !bar)
        return;
    DetachFromMenuBar(bar);
    m_d->bars.push_back({bar, owner, owner ? owner->GetSerial() : 0});
    Rebuild(m_d->bars.back(), *m_d);
}

void CMenu::DetachFromMenuBar(QMenuBar* bar)
{
    if (!m_d)
        return;
    std::erase_if(m_d->bars, [bar](const Data::Bar& b) { return !b.bar || b.bar == bar; });
}
