// The modal seam: tests answer message boxes, file dialogs and popup menus
// from a script and read back what was asked; nothing may block.
#include "platform/Modal.h"
#include "platform/Clipboard.h"
#include "platform/Cursor.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <chrono>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QTemporaryDir>

namespace {

using vx::ModalKind;
using vx::ModalScript;

TEST(ModalScript, AnswersMessageBoxesInOrderAndRecordsTheirTexts)
{
    ModalScript::AnswerMessageBox(IDNO);
    ModalScript::AnswerMessageBox(IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Datei \xFC" "berschreiben?", "Frage", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(AfxMessageBox("Check Input Range.", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(ModalScript::MessageBoxTexts(),
              (std::vector<CString>{"Datei \xFC" "berschreiben?", "Check Input Range."}));
    ASSERT_EQ(ModalScript::Calls().size(), 2u);
    EXPECT_EQ(ModalScript::Calls()[0].caption, CString("Frage"));
    EXPECT_EQ(ModalScript::Calls()[1].caption, CString("VX35 VS"));   // the application's name
    EXPECT_TRUE(ModalScript::Calls()[1].answered);
    EXPECT_EQ(ModalScript::PendingAnswers(), 0);
}

TEST(ModalScript, UnansweredOrImpossibleAnswersGiveTheDefaultButton)
{
    EXPECT_EQ(AfxMessageBox("fails MMTimer_Start"), IDOK);
    EXPECT_EQ(AfxMessageBox("?", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(AfxMessageBox("?", MB_YESNOCANCEL), IDYES);
    EXPECT_FALSE(ModalScript::Calls()[0].answered);
    ModalScript::AnswerMessageBox(IDYES);   // an OK box has no Yes button
    EXPECT_EQ(AfxMessageBox("only ok"), IDOK);
    EXPECT_EQ(ModalScript::Calls().back().result, IDOK);
}

TEST(ModalScript, MessageBoxFromTheStringTableUsesItsText)
{
    SetStringTableLookup([](UINT id, CString& out) {
        if (id != 5198)
            return false;
        out = "Keine Antwort";
        return true;
    });
    AfxMessageBox(5198u);
    AfxMessageBox(4711u);
    SetStringTableLookup(nullptr);
    EXPECT_EQ(ModalScript::MessageBoxTexts(), (std::vector<CString>{"Keine Antwort", "4711"}));
}

TEST(FileDialog, SaveAddsTheChosenFiltersExtension)
{
    const char* filter = "(*.csv)|*.csv|(*.bmp)|*.bmp|All Files (*.*)|*.*|";
    {
        CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, filter);
        ModalScript::AnswerFileSave("/tmp/serie");
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString("/tmp/serie.csv"));
        EXPECT_EQ(dlg.GetFileExt(), CString("csv"));
        EXPECT_EQ(dlg.GetFileName(), CString("serie.csv"));
        EXPECT_EQ(dlg.GetFileTitle(), CString("serie"));
    }
    {
        CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT, filter);
        ModalScript::AnswerFileSave("/tmp/chart", 2);
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString("/tmp/chart.bmp"));
        EXPECT_EQ(dlg.GetFilterIndex(), 2);
    }
    {
        CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT, filter);
        ModalScript::AnswerFileSave("/tmp/any", 3);   // "*.*" implies nothing: default extension
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString("/tmp/any.csv"));
    }
    {
        CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT, filter);
        ModalScript::AnswerFileSave("/tmp/my.dir/data.txt");   // has an extension: kept
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString("/tmp/my.dir/data.txt"));
    }
    {
        CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT, filter);
        ModalScript::AnswerFileSave("/tmp/my.dir/data");   // a dot in the folder is no extension
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString("/tmp/my.dir/data.csv"));
    }
    const auto& calls = ModalScript::Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, ModalKind::FileSave);
    EXPECT_EQ(calls[0].text, CString(filter));
    EXPECT_EQ(calls[0].flags, OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT);
}

TEST(FileDialog, UnansweredIsCancelAndOpenKeepsThePathAsChosen)
{
    CFileDialog save(FALSE, "csv", "*.csv", 0, "(*.csv)|*.csv|");
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_TRUE(save.GetPathName().IsEmpty());
    CFileDialog open(TRUE, "csv", "*.csv", OFN_FILEMUSTEXIST, "(*.csv)|*.csv|");
    ModalScript::AnswerFileOpen("/data/table");
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), CString("/data/table"));
    EXPECT_EQ(ModalScript::Calls().back().kind, ModalKind::FileOpen);
}

TEST(FileDialog, FilterParsing)
{
    const auto parts = CFileDialog::ParseFilter("(*.csv)|*.csv|Pictures|*.bmp;*.png|All Files (*.*)|*.*|");
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1].first, CString("Pictures"));
    EXPECT_EQ(parts[1].second, CString("*.bmp;*.png"));
    EXPECT_EQ(CFileDialog::FilterExtension("*.csv"), CString("csv"));
    EXPECT_EQ(CFileDialog::FilterExtension("*.*"), CString(""));
    EXPECT_EQ(CFileDialog::FilterExtension("*.bmp;*.png"), CString(""));
    EXPECT_TRUE(CFileDialog::ParseFilter(nullptr).empty());
}

TEST(PopupMenu, ScriptChoosesAnOfferedCommandOnly)
{
    bool realShown = false;
    auto real = [&] {
        realShown = true;
        return 0u;
    };
    ModalScript::AnswerPopupMenu(60003);
    EXPECT_EQ(vx::ChoosePopupCommand({60001, 60003}, real), 60003u);
    ModalScript::AnswerPopupMenu(60002);   // greyed or missing: cannot be chosen
    EXPECT_EQ(vx::ChoosePopupCommand({60001, 60003}, real), 0u);
    EXPECT_EQ(vx::ChoosePopupCommand({60001}, real), 0u);   // unanswered: dismissed
    EXPECT_FALSE(realShown);
    EXPECT_EQ(ModalScript::Calls()[0].items, (std::vector<UINT>{60001, 60003}));
}

TEST(ModalScript, DialogAnswersRunAnActionOnTheDialog)
{
    ModalScript::AnswerDialog([](CWnd* dlg) { return dlg ? IDOK : IDABORT; });
    vx::ModalRecord call;
    call.kind = ModalKind::Dialog;
    call.text = "Schnittstellen";
    auto answer = vx::ScriptedModal(call);
    ASSERT_TRUE(answer.has_value());
    ASSERT_TRUE(static_cast<bool>(answer->action));
    EXPECT_EQ(answer->action(nullptr), IDABORT);
    auto none = vx::ScriptedModal(call);
    EXPECT_EQ(none->result, IDCANCEL);

    ModalScript::Activate(false);
    EXPECT_FALSE(vx::ScriptedModal(call).has_value());   // the program shows real dialogs
    ModalScript::Activate(true);
}

TEST(WaitCursor, NestsAndEndsWithTheLastEnd)
{
    EXPECT_FALSE(vx::IsWaitCursorShown());
    vx::BeginWaitCursor();
    {
        CWaitCursor inner;
        EXPECT_TRUE(vx::IsWaitCursorShown());
    }
    EXPECT_TRUE(vx::IsWaitCursorShown());   // the outer wait still runs
    QApplication::changeOverrideCursor(Qt::ArrowCursor);
    vx::RestoreWaitCursor();
    EXPECT_TRUE(vx::IsWaitCursorShown());
    vx::EndWaitCursor();
    EXPECT_FALSE(vx::IsWaitCursorShown());
    vx::EndWaitCursor();   // unbalanced end: harmless
    EXPECT_EQ(vx::WaitCursorDepth(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Clipboard, CarriesTextAs1252)
{
    const CString text = "Datum;Wert\r\n01.03.09;1,5 \xB5m\r\n";
    ASSERT_TRUE(vx::SetClipboardText(text));
    EXPECT_EQ(vx::GetClipboardText(), text);
}

} // namespace

TEST(FileDialog, StartsInTheFolderLastUsedForItsKindElseInTheDocuments)
{
    QTemporaryDir home;
    QTemporaryDir work;
    ASSERT_TRUE(home.isValid() && work.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    const CString documents = vx::FromQString(home.filePath(QStringLiteral("Documents")));
    const CString workDir = vx::FromQString(work.path());
    vx::WriteProfileString("Dateiauswahl", nullptr, nullptr);
    ModalScript::Clear();
    auto save = [](const char* defExt, const char* filter, const CString& answer) {
        CFileDialog dlg(FALSE, defExt, nullptr, OFN_OVERWRITEPROMPT, filter);
        if (!answer.IsEmpty())
            ModalScript::AnswerFileSave(answer);
        dlg.DoModal();
        return ModalScript::Calls().back().folder;
    };
    const char* csv = "(*.csv)|*.csv|All Files (*.*)|*.*|";
    EXPECT_EQ(save("csv", csv, workDir + "/serie"), documents) << "first time: the documents";
    EXPECT_EQ(save("csv", csv, {}), workDir) << "then where the last CSV went";
    EXPECT_EQ(save(nullptr, csv, {}), workDir) << "the first filter tells the kind too";
    EXPECT_EQ(save("bmp", "(*.bmp)|*.bmp|", {}), documents) << "another kind keeps its own folder";
    {
        CFileDialog dlg(TRUE, "csv", nullptr, 0, csv);
        dlg.m_ofn.lpstrInitialDir = "/usr";
        dlg.DoModal();
        EXPECT_EQ(ModalScript::Calls().back().folder, CString("/usr")) << "a caller's folder wins";
    }
    // A kept folder that is gone, and no documents folder: home.
    ASSERT_TRUE(QDir(work.path()).removeRecursively());
    ASSERT_TRUE(QDir(home.path()).rmdir(QStringLiteral("Documents")));
    EXPECT_EQ(save("csv", csv, {}), vx::FromQString(home.path()));
    qputenv("HOME", oldHome);
}

TEST(FileDialog, FiltersCarryAName)
{
    EXPECT_EQ(CFileDialog::NamedFilters("(*.csv)|*.csv|(*.bmp)|*.bmp|All Files (*.*)|*.*|"),
              (std::vector<CString>{"CSV (*.csv)", "Bitmap (*.bmp)", "All Files (*.*)"}));
    EXPECT_EQ(CFileDialog::NamedFilters("Pictures|*.bmp;*.png|(*.txt)|*.txt|(*.dat)|*.dat|"),
              (std::vector<CString>{"Pictures (*.bmp *.png)", "Text (*.txt)", "DAT (*.dat)"}));
}

TEST(ModalLoop, SleepsUntilSomethingEndsIt)
{
    // A program's main window is a modal loop for as long as it is open:
    // while nothing happens it must not wake at all.
    int looks = 0;
    bool done = false;
    QTimer::singleShot(300, [&] { done = true; });
    const auto start = std::chrono::steady_clock::now();
    vx::RunModalLoop([&] {
        ++looks;
        return done;
    });
    EXPECT_TRUE(done);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    // Once before it starts and once each time an event was handled, not
    // every few milliseconds.
    EXPECT_LE(looks, 6);
}
