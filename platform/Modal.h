// The modal seam: message boxes, DoModal, file dialogs, popup menus and the
// other system dialogs all ask here first.
//
// In the program (script inactive) the real dialog runs in a nested event
// loop, which keeps window timers, posted messages and the port reader's
// sends flowing. In tests the ModalScript is active: nothing is shown and
// nothing blocks; each call is recorded (kind, text, caption, flags) and
// answered from the queued answers of its kind, or, when none is queued,
// with the default: the default button for a message box, IDCANCEL (or 0)
// for everything else.
#pragma once

#include "CString.h"
#include "Messages.h"
#include "Types.h"

#include <functional>
#include <optional>
#include <vector>

class CWnd;

// Message-box types (low nibble: buttons) and icons.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONSTOP = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_TOPMOST = 0x00040000;

// File dialog flags that change behaviour.
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;

namespace vx {

enum class ModalKind { MessageBox, Dialog, FileOpen, FileSave, PopupMenu, Print, Color, Font };

// One modal call as the script saw it.
struct ModalRecord {
    ModalKind kind = ModalKind::MessageBox;
    CString text;      // message text; dialog title; file dialog filter
    CString caption;   // message-box caption; file dialog initial name
    CString folder;    // file dialog: the folder it starts in
    UINT flags = 0;    // MB_ type, OFN_ flags
    std::vector<UINT> items;   // popup menu: the enabled command ids offered
    int result = 0;    // what the call returned
    bool answered = false;   // false: no answer was queued, default used
};

// One queued answer.
struct ModalAnswer {
    int result = 0;      // IDOK/IDCANCEL/IDYES..., or the popup command
    CString text;        // file dialogs: the chosen path; font: face name
    UINT value = 0;      // colour (COLORREF), file filter index (1-based)
    // Dialogs: runs on the created dialog instead of a modal loop (it may
    // fill controls, press buttons by message) and returns the result.
    std::function<int(CWnd*)> action;
};

class ModalScript {
public:
    static void Activate(bool active);

    static void Answer(ModalKind kind, ModalAnswer answer);
    static void AnswerMessageBox(int id) { Answer(ModalKind::MessageBox, {id, {}, 0, {}}); }
    static void AnswerFileOpen(const CString& path) { Answer(ModalKind::FileOpen, {IDOK, path, 0, {}}); }
    static void AnswerFileSave(const CString& path, UINT filterIndex = 0)
    {
        Answer(ModalKind::FileSave, {IDOK, path, filterIndex, {}});
    }
    static void AnswerPopupMenu(UINT command) { Answer(ModalKind::PopupMenu, {static_cast<int>(command), {}, 0, {}}); }
    static void AnswerDialog(int result) { Answer(ModalKind::Dialog, {result, {}, 0, {}}); }
    static void AnswerDialog(std::function<int(CWnd*)> action) { Answer(ModalKind::Dialog, {0, {}, 0, std::move(action)}); }

    static const std::vector<ModalRecord>& Calls();
    // Texts of the message boxes shown, in order.
    static std::vector<CString> MessageBoxTexts();
    static int PendingAnswers();
    // Forgets calls and answers (the active flag stays).
    static void Clear();
};

// For the implementers of modal calls. When the script is active: records
// the call and returns its answer (queued or default, see ModalRecord
// .answered); the caller must then not show anything. std::nullopt when the
// script is inactive: the caller runs its real dialog.
std::optional<ModalAnswer> ScriptedModal(const ModalRecord& call);

// Runs a real modal dialog: a nested event loop until `finished` says so.
// Timers and messages keep flowing meanwhile.
void RunModalLoop(const std::function<bool()>& finished);

// A popup menu: the commands offered (0 entries are separators, left out by
// the caller), and the real menu to run when the script is inactive.
UINT ChoosePopupCommand(const std::vector<UINT>& enabledCommands, const std::function<UINT()>& realMenu);

} // namespace vx

// Message box over owner (null: the main window). Returns IDOK, IDYES, ...
int MessageBox(CWnd* owner, const char* text, const char* caption = nullptr, UINT type = MB_OK);
// With the application's name as caption.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// Text from the string table.
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = UINT(-1));

// File open/save dialog. The filter is "label|pattern|label|pattern|...|"
// with ';' between several patterns. A typed name without an extension
// gets the chosen filter's extension (or defExt when that filter has none);
// with OFN_OVERWRITEPROMPT an existing file must be confirmed.
// The dialog starts in the folder last used for its kind of file (its
// default extension, else its first filter's), kept in the profile, else in
// the user's documents folder (home when there is none); an explicit
// m_ofn.lpstrInitialDir wins. Filters without a name get one ("CSV (*.csv)").
class CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;

    virtual int DoModal();   // IDOK or IDCANCEL

    CString GetPathName() const { return m_path; }
    // Name with extension, without the folder.
    CString GetFileName() const;
    // Name without extension and folder.
    CString GetFileTitle() const;
    // Extension without the dot.
    CString GetFileExt() const;
    // 1-based index of the chosen filter.
    int GetFilterIndex() const { return m_filterIndex; }

    // The parts of the filter, in order: label, pattern.
    static std::vector<std::pair<CString, CString>> ParseFilter(const char* filter);
    // The extension a chosen filter implies ("csv" for "*.csv"; empty for
    // "*.*" or several patterns).
    static CString FilterExtension(const CString& pattern);
    // The path with the extension added when the name has none.
    static CString WithDefaultExtension(const CString& path, const CString& ext);
    // The filter as the dialog shows it: each label named, patterns in
    // parentheses ("(*.csv)" -> "CSV (*.csv)", "*.*" -> "All Files (*.*)").
    static std::vector<CString> NamedFilters(const char* filter);
    // The kind of file the dialog is for: names the folder kept for it.
    CString FileKind() const;
    // The folder the dialog starts in (see above).
    CString StartFolder() const;

    struct {
        DWORD Flags = 0;
        const char* lpstrInitialDir = nullptr;
        const char* lpstrTitle = nullptr;
        DWORD nFilterIndex = 1;
    } m_ofn;

private:
    bool m_open;
    CString m_defExt;
    CString m_fileName;
    CString m_filter;
    CWnd* m_parent;
    CString m_path;
    int m_filterIndex = 1;
};
