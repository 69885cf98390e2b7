// Shared by the dialog, control, sheet and menu suites: templates installed
// from text, and a dialog that records what its controls report.
#pragma once

#include "platform/DDX.h"
#include "platform/Dialog.h"
#include "platform/DialogTemplate.h"
#include "platform/Modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <string>
#include <utility>
#include <vector>

inline void InstallTemplates(const char* text)
{
    std::string err;
    ASSERT_TRUE(vx::ResourceCatalogue::Instance().AddText(text, "test.vxr", &err)) << err;
}

struct Note {
    UINT msg;    // WM_COMMAND, WM_NOTIFY, WM_HSCROLL, WM_VSCROLL
    UINT id;     // control id (scroll: the control's id)
    UINT code;   // notification or scroll code
    int pos;     // scroll position
};

class RecordingDlg : public CDialog {
public:
    explicit RecordingDlg(UINT id, CWnd* parent = nullptr) : CDialog(id, parent) {}
    std::vector<Note> notes;
    int initCount = 0;
    int okCount = 0;
    int cancelCount = 0;

    int Count(UINT msg, UINT id, UINT code) const
    {
        int n = 0;
        for (const auto& x : notes)
            n += x.msg == msg && x.id == id && x.code == code;
        return n;
    }
    void ClearNotes() { notes.clear(); }

protected:
    BOOL OnInitDialog() override
    {
        ++initCount;
        return CDialog::OnInitDialog();
    }
    void OnOK() override
    {
        ++okCount;
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        ++cancelCount;
        CDialog::OnCancel();
    }
    BOOL OnCommand(WPARAM w, LPARAM l) override
    {
        notes.push_back({WM_COMMAND, LOWORD(w), HIWORD(w), 0});
        return CDialog::OnCommand(w, l);
    }
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* r) override
    {
        auto* h = reinterpret_cast<NMHDR*>(l);
        notes.push_back({WM_NOTIFY, static_cast<UINT>(h->idFrom), h->code, 0});
        return CDialog::OnNotify(w, l, r);
    }
    void OnHScroll(UINT code, UINT pos, CWnd* bar) override
    {
        notes.push_back({WM_HSCROLL, bar ? static_cast<UINT>(bar->GetDlgCtrlID()) : 0u, code, static_cast<int>(pos)});
    }
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override
    {
        notes.push_back({WM_VSCROLL, bar ? static_cast<UINT>(bar->GetDlgCtrlID()) : 0u, code, static_cast<int>(pos)});
    }
};

// A key press as the user's keyboard sends it to a widget.
inline void PressKey(QWidget* w, int key, const QString& text = QString(),
                     Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

inline void TypeText(QWidget* w, const QString& text)
{
    for (QChar c : text)
        PressKey(w, c.toUpper().unicode(), QString(c));
}

// A key as the user types it: to the focused control of the active window.
inline void PressKeyIn(CWnd* wnd, int key, const QString& text = QString())
{
    QApplication::setActiveWindow(wnd->GetPeer()->window());
    QApplication::processEvents();
    wnd->SetFocus();
    QApplication::processEvents();
    PressKey(wnd->GetPeer(), key, text);
}
