// File > Save on the logger page: the read-out records as a CSV file; the
// page's boxes.
#include "app/StringTable.h"
#include "pages/DatenloggerDlg.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "res/Resources.h"
#include "tests/pages/SinglePageFixture.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

class SilentPort : public CPortMan {
public:
    SilentPort() { m_Dcb.PortState = 0; }
    bool PutByte(BYTE) override { return true; }
    bool WriteString(const CString&) override { return true; }
    bool WriteFrame(const BYTE*, int) override { return true; }
};

class LoggerSave : public SinglePageFixture<CDatenloggerDlg, SilentPort> {
protected:
    void SetUp() override
    {
        HostPage("loggersave");
    }
    void ReadOut()
    {
        Feed(std::string(50, 'x'));
        page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_READ);
        Feed("\r\nQUORIN Messtechnik\x03" "AUTO    10 sec  \r\n");
        Feed(" 12,34 Nm  \r\n 12,35 Nm  \r\n");
        clock->advance(500);
        ASSERT_FALSE(page.GetReadout().IsReadoutRunning());
    }
};

} // namespace

TEST_F(LoggerSave, SaveWritesTheConvertedRecordsUnderTheHeaderParts)
{
    ReadOut();
    const std::string path = dir + "/records.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    page.OnFileSave();

    ASSERT_FALSE(vx::ModalScript::Calls().empty());
    const vx::ModalRecord& call = vx::ModalScript::Calls().back();
    EXPECT_EQ(call.kind, vx::ModalKind::FileSave);
    EXPECT_EQ(call.text, "(*.csv)|*.csv|All Files (*.*)|*.*|");
    EXPECT_EQ(call.caption, "*.csv");
    EXPECT_EQ(call.flags & 0x2002u, 0x2002u);
    // No main dialog: the export defaults (CR LF, ';', ',', unit column).
    EXPECT_EQ(ReadFile(path), "QUORIN Messtechnik\r\n\r\n\r\n\r\n\r\n\r\n\r\nAUTO    10 sec  \r\n\r\n\r\n"
                              " 12,34;Nm\r\n 12,35;Nm\r\n");
    EXPECT_TRUE(page.GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible());
}

TEST_F(LoggerSave, CancelWritesNothingAndAFileErrorIsReported)
{
    ReadOut();
    page.OnFileSave();   // no answer queued: Cancel
    EXPECT_TRUE(QDir(QString::fromStdString(dir)).isEmpty());
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());

    vx::ModalScript::AnswerFileSave((dir + "/missing/records.csv").c_str());
    page.OnFileSave();
    ASSERT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
    EXPECT_NE(vx::ModalScript::MessageBoxTexts()[0].Find("records.csv"), -1);
}

TEST_F(LoggerSave, AFullDiskKeepsTheOldFileAndNamesTheCause)
{
    ReadOut();
    const std::string path = dir + "/records.csv";
    std::ofstream(path, std::ios::binary) << "earlier read-out";
    vx::ModalScript::AnswerFileSave(path.c_str());
    {
        FileSizeLimit full(40);
        page.OnFileSave();
    }
    EXPECT_EQ(ReadFile(path), "earlier read-out");
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);
    const auto boxes = FileBoxesOnly(vx::ModalScript::MessageBoxTexts());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], CString(path + ": ") + FullDiskReason());
}

TEST_F(LoggerSave, TheHiddenSaveButtonRunsTheSameExport)
{
    ReadOut();
    const std::string path = dir + "/button.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_SAVE);
    EXPECT_NE(ReadFile(path).find(" 12,35;Nm\r\n"), std::string::npos);
    EXPECT_FALSE(page.GetDlgItem(CDatenloggerDlg::IDC_SAVE)->IsWindowVisible());
}

// "auslesen" without a connection says there is none, with the icon of the
// program's error boxes, in the user's language; with no port at all too.
TEST_F(LoggerSave, ReadWithoutAConnectionSaysSoAsAnError)
{
    language = 1000;
    port.m_Dcb.PortState = PORTSTATE_OFFLINE;
    page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_READ);
    table[0].m_pPortMan = nullptr;
    page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_READ);
    clock->advance(60000);
    const auto& calls = vx::ModalScript::Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const vx::ModalRecord& call : calls) {
        EXPECT_EQ(call.text, vx::LoadText(LoggerText::kNoConnection, 1000));
        EXPECT_EQ(call.flags & 0xF0u, static_cast<UINT>(MB_ICONERROR));
    }
    EXPECT_FALSE(page.GetReadout().IsReadoutRunning());
    EXPECT_TRUE(page.GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible());
}
