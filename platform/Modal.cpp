#include "platform/Modal.h"

#include "platform/App.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "platform/Wnd.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <map>

namespace {

bool g_active = false;
std::map<vx::ModalKind, std::deque<vx::ModalAnswer>> g_answers;
std::vector<vx::ModalRecord> g_calls;

// The ids a message box of this type offers, in button order.
std::vector<int> messageBoxButtons(UINT type)
{
    switch (type & 0x0F) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

int defaultButton(UINT type)
{
    const auto buttons = messageBoxButtons(type);
    const size_t index = (type >> 8) & 0x0F;
    return buttons[index < buttons.size() ? index : 0];
}

QWidget* ownerWidget(CWnd* owner)
{
    if (!owner)
        owner = AfxGetMainWnd();
    if (owner && owner->GetPeer())
        return owner->GetPeer()->window();
    return QApplication::activeWindow();
}

CString fileNameOf(const CString& path)
{
    const int slash = path.ReverseFind('/');
    return slash < 0 ? path : path.Mid(slash + 1);
}

} // namespace

namespace vx {

void ModalScript::Activate(bool active) { g_active = active; }

void ModalScript::Answer(ModalKind kind, ModalAnswer answer)
{
    g_answers[kind].push_back(std::move(answer));
}

const std::vector<ModalRecord>& ModalScript::Calls() { return g_calls; }

std::vector<CString> ModalScript::MessageBoxTexts()
{
    std::vector<CString> texts;
    for (const auto& c : g_calls)
        if (c.kind == ModalKind::MessageBox)
            texts.push_back(c.text);
    return texts;
}

int ModalScript::PendingAnswers()
{
    int n = 0;
    for (const auto& [kind, q] : g_answers)
        n += static_cast<int>(q.size());
    return n;
}

void ModalScript::Clear()
{
    g_answers.clear();
    g_calls.clear();
}

std::optional<ModalAnswer> ScriptedModal(const ModalRecord& call)
{
    if (!g_active)
        return std::nullopt;
    ModalRecord rec = call;
    ModalAnswer answer;
    auto& queue = g_answers[call.kind];
    if (!queue.empty()) {
        answer = std::move(queue.front());
        queue.pop_front();
        rec.answered = true;
    } else {
        rec.answered = false;
        switch (call.kind) {
        case ModalKind::MessageBox: answer.result = defaultButton(call.flags); break;
        case ModalKind::PopupMenu: answer.result = 0; break;
        default: answer.result = IDCANCEL; break;
        }
    }
    rec.result = answer.result;
    g_calls.push_back(rec);
    return answer;
}

void RunModalLoop(const std::function<bool()>& finished)
{
    if (finished())
        return;
    // A nested event loop: timers, posted messages and the port's bytes
    // keep coming. Whatever ends the dialog runs inside it, as one of the
    // events the loop handles, so looking each time the loop has handled
    // what there was and is about to sleep is enough: a loop that polled
    // would wake the program many times a second for as long as its main
    // window is open.
    QEventLoop loop;
    // The loop is the connection's context: it ends with the loop.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
        if (finished() || QCoreApplication::closingDown())
            loop.quit();
    });
    loop.exec();
}

UINT ChoosePopupCommand(const std::vector<UINT>& enabledCommands, const std::function<UINT()>& realMenu)
{
    ModalRecord call;
    call.kind = ModalKind::PopupMenu;
    call.items = enabledCommands;
    if (auto answer = ScriptedModal(call)) {
        const UINT cmd = static_cast<UINT>(answer->result);
        // A command the menu does not offer (or offers greyed) cannot be chosen.
        const bool offered = std::find(enabledCommands.begin(), enabledCommands.end(), cmd) != enabledCommands.end();
        if (!offered)
            g_calls.back().result = 0;
        return offered ? cmd : 0;
    }
    return realMenu ? realMenu() : 0;
}

} // namespace vx

int MessageBox(CWnd* owner, const char* text, const char* caption, UINT type)
{
    const CString title = caption ? CString(caption) : CString(vx::kProfileApplication);
    vx::ModalRecord call;
    call.kind = vx::ModalKind::MessageBox;
    call.text = text ? text : "";
    call.caption = title;
    call.flags = type;
    if (auto answer = vx::ScriptedModal(call)) {
        const auto buttons = messageBoxButtons(type);
        // An answer the box does not offer is a script error; the box
        // could only have given its default.
        if (std::find(buttons.begin(), buttons.end(), answer->result) == buttons.end()) {
            g_calls.back().result = defaultButton(type);
            return defaultButton(type);
        }
        return answer->result;
    }

    QMessageBox box(ownerWidget(owner));
    box.setWindowTitle(vx::ToQString(title));
    box.setText(vx::ToQString(call.text));
    switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    std::map<QAbstractButton*, int> ids;
    const int def = defaultButton(type);
    for (int id : messageBoxButtons(type)) {
        QPushButton* b = nullptr;
        switch (id) {
        case IDOK: b = box.addButton(QMessageBox::Ok); break;
        case IDCANCEL: b = box.addButton(QMessageBox::Cancel); break;
        case IDABORT: b = box.addButton(QMessageBox::Abort); break;
        case IDRETRY: b = box.addButton(QMessageBox::Retry); break;
        case IDIGNORE: b = box.addButton(QMessageBox::Ignore); break;
        case IDYES: b = box.addButton(QMessageBox::Yes); break;
        case IDNO: b = box.addButton(QMessageBox::No); break;
        default: break;
        }
        if (b) {
            ids[b] = id;
            if (id == def)
                box.setDefaultButton(b);
        }
    }
    // Escape gives Cancel, or OK on a box that has only OK.
    const auto buttons = messageBoxButtons(type);
    const bool hasCancel = std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end();
    box.exec();
    auto it = ids.find(box.clickedButton());
    if (it != ids.end())
        return it->second;
    return hasCancel ? IDCANCEL : buttons.size() == 1 ? IDOK : def;
}

int AfxMessageBox(const char* text, UINT type, UINT)
{
    return MessageBox(nullptr, text, nullptr, type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT)
{
    CString text;
    if (!text.LoadString(stringId))
        text.Format("%u", stringId);
    return MessageBox(nullptr, text, nullptr, type);
}

// ---- File dialog -----------------------------------------------------------

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_open(openFileDialog != FALSE), m_defExt(defExt ? defExt : ""), m_fileName(fileName ? fileName : ""),
      m_filter(filter ? filter : ""), m_parent(parent)
{
    m_ofn.Flags = flags;
}

std::vector<std::pair<CString, CString>> CFileDialog::ParseFilter(const char* filter)
{
    std::vector<std::pair<CString, CString>> out;
    if (!filter)
        return out;
    std::vector<CString> parts;
    CString cur;
    for (const char* p = filter; *p; ++p) {
        if (*p == '|') {
            parts.push_back(cur);
            cur.Empty();
        } else {
            cur += *p;
        }
    }
    if (!cur.IsEmpty())
        parts.push_back(cur);
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        out.emplace_back(parts[i], parts[i + 1]);
    return out;
}

CString CFileDialog::FilterExtension(const CString& pattern)
{
    CString p = pattern;
    p.Trim();
    if (p.Find(';') >= 0 || p.Left(2) != CString("*."))
        return CString();
    CString ext = p.Mid(2);
    if (ext.FindOneOf("*?") >= 0)
        return CString();
    return ext;
}

CString CFileDialog::WithDefaultExtension(const CString& path, const CString& ext)
{
    if (ext.IsEmpty() || path.IsEmpty())
        return path;
    const CString name = fileNameOf(path);
    if (name.IsEmpty() || name.Find('.') >= 0)
        return path;
    return path + "." + ext;
}

std::vector<CString> CFileDialog::NamedFilters(const char* filter)
{
    std::vector<CString> out;
    for (const auto& [label, pattern] : ParseFilter(filter)) {
        QString patterns = vx::ToQString(pattern).trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = vx::ToQString(label).trimmed();
        // Qt reads the patterns from the last parentheses of the label.
        if (name.endsWith(QLatin1Char(')')) && name.contains(QLatin1Char('(')))
            name = name.left(name.lastIndexOf(QLatin1Char('('))).trimmed();
        const bool all = patterns == QStringLiteral("*.*") || patterns == QStringLiteral("*");
        if (all && name == QStringLiteral("All Files"))
            name.clear();   // the caller's English words: Qt's translated ones instead
        if (name.isEmpty()) {
            const CString ext = FilterExtension(pattern);
            if (all) {
                // Qt's own words, so it follows Qt's translation.
                name = QCoreApplication::translate("QFileDialog", "All Files (*)");
                name = name.left(name.lastIndexOf(QLatin1Char('('))).trimmed();
            }
            else if (ext.CompareNoCase("bmp") == 0)
                name = QStringLiteral("Bitmap");
            else if (ext.CompareNoCase("txt") == 0)
                name = QStringLiteral("Text");
            else if (!ext.IsEmpty())
                name = vx::ToQString(ext).toUpper();
            else
                name = QStringLiteral("Files");
        }
        out.push_back(vx::FromQString(name + QStringLiteral(" (") + patterns + QLatin1Char(')')));
    }
    return out;
}

namespace {
constexpr const char* kFolderSection = "Dateiauswahl";
} // namespace

CString CFileDialog::FileKind() const
{
    CString kind = m_defExt;
    if (kind.IsEmpty()) {
        const auto filters = ParseFilter(m_filter);
        if (!filters.empty())
            kind = FilterExtension(filters.front().second);
    }
    kind.MakeLower();
    return kind.IsEmpty() ? CString("all") : kind;
}

CString CFileDialog::StartFolder() const
{
    if (m_ofn.lpstrInitialDir && *m_ofn.lpstrInitialDir)
        return m_ofn.lpstrInitialDir;
    const CString kept = vx::GetProfileString(kFolderSection, FileKind(), "");
    if (!kept.IsEmpty() && QFileInfo(vx::ToQString(kept)).isDir())
        return kept;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return vx::FromQString(documents);
    return vx::FromQString(QDir::homePath());
}

CString CFileDialog::GetFileName() const
{
    return fileNameOf(m_path);
}

CString CFileDialog::GetFileTitle() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

int CFileDialog::DoModal()
{
    const auto filters = ParseFilter(m_filter);
    auto extensionFor = [&](int index) {
        CString ext;
        if (index >= 1 && index <= static_cast<int>(filters.size()))
            ext = FilterExtension(filters[static_cast<size_t>(index - 1)].second);
        return ext.IsEmpty() ? m_defExt : ext;
    };

    vx::ModalRecord call;
    call.kind = m_open ? vx::ModalKind::FileOpen : vx::ModalKind::FileSave;
    call.text = m_filter;
    call.caption = m_fileName;
    call.flags = m_ofn.Flags;
    call.folder = StartFolder();
    // The next dialog for this kind of file starts where this one ended.
    auto keepFolder = [this] {
        const QString folder = QFileInfo(vx::ToQString(m_path)).absolutePath();
        if (!folder.isEmpty())
            vx::WriteProfileString(kFolderSection, FileKind(), vx::FromQString(folder));
    };
    if (auto answer = vx::ScriptedModal(call)) {
        if (answer->result != IDOK || answer->text.IsEmpty())
            return IDCANCEL;
        m_filterIndex = answer->value ? static_cast<int>(answer->value) : static_cast<int>(m_ofn.nFilterIndex);
        m_path = m_open ? answer->text : WithDefaultExtension(answer->text, extensionFor(m_filterIndex));
        keepFolder();
        return IDOK;
    }

    QFileDialog dlg(ownerWidget(m_parent));
    dlg.setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(m_open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (m_ofn.lpstrTitle)
        dlg.setWindowTitle(vx::ToQString(CString(m_ofn.lpstrTitle)));
    if (!m_open && !(m_ofn.Flags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    QStringList names;
    for (const CString& name : NamedFilters(m_filter))
        names << vx::ToQString(name);
    if (!names.isEmpty()) {
        dlg.setNameFilters(names);
        const int index = std::clamp<int>(static_cast<int>(m_ofn.nFilterIndex), 1, static_cast<int>(names.size()));
        dlg.selectNameFilter(names.at(index - 1));
        dlg.setDefaultSuffix(vx::ToQString(extensionFor(index)));
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& f) {
            dlg.setDefaultSuffix(vx::ToQString(extensionFor(static_cast<int>(names.indexOf(f)) + 1)));
        });
    } else {
        dlg.setDefaultSuffix(vx::ToQString(m_defExt));
    }
    dlg.setDirectory(vx::ToQString(call.folder));
    if (!m_fileName.IsEmpty() && m_fileName.FindOneOf("*?") < 0)
        dlg.selectFile(vx::ToQString(m_fileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return IDCANCEL;
    m_filterIndex = static_cast<int>(names.indexOf(dlg.selectedNameFilter())) + 1;
    if (m_filterIndex < 1)
        m_filterIndex = 1;
    m_path = vx::FromQString(dlg.selectedFiles().first());
    keepFolder();
    return IDOK;
}
