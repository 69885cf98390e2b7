// The header and date pages in the setup page's nested sheet against
// vx35sim on a real pseudo-terminal, real clock.
#include "app/StringTable.h"
#include "pages/DatumDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "platform/Modal.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"
#include "tests/support/EventPump.h"
#include "tests/support/PageOwner.h"
#include "tests/support/SimDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class HeaderAndDateOnTheLine : public ::testing::TestWithParam<std::vector<std::string>> {
protected:
    void Start(const std::vector<std::string>& simArgs)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::ModalScript::Clear();
        sim = std::make_unique<SimDevice>("", simArgs);
        ASSERT_TRUE(sim->Started() && owner.Create("", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        port = std::make_unique<CPortManGui>(&owner, WM_PORT_DATA, WM_PORT_STATUS);
        // As the main dialog does when the device goes away.
        owner.MapMessageFn(WM_DEVICECHANGE, [this](WPARAM event, LPARAM) { return port->OnDeviceChange(event); });
        port->m_Dcb.m_strPortName = sim->Path().c_str();
        port->m_Dcb.m_dwBaudRate = 115200;
        ASSERT_EQ(port->Open(), 0);
        table[0].m_pPortMan = port.get();
        const CPageSharedState s{table, rx, &zero, &zero, &zero, &zero, &zero, &arrival};
        for (int i = 0; i < CEinrichtenDlg::kNestedCount; ++i)
            setup.GetNestedPage(i)->SetSharedState(s);
        setup.SetSharedState(s);
        sheet.AddPage(&setup);
        ASSERT_TRUE(sheet.Create(nullptr, WS_POPUP | WS_VISIBLE));
    }
    void TearDown() override
    {
        sheet.DestroyWindow();
        port.reset();
        owner.DestroyWindow();
    }
    void Show(int nestedTab) { setup.GetNestedSheet().SetActivePage(nestedTab); }
    void Wait(const CDeviceTextRead& read)
    {
        EXPECT_TRUE(vxtest::PumpUntil([&] { return !read.IsRunning(); }, 15000));
    }

    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int zero = 0;
    BYTE arrival = 0;
    CEinrichtenDlg setup;
    CFirmenkopfDlg& header = *static_cast<CFirmenkopfDlg*>(setup.GetNestedPage(0));
    CDatumDlg& date = *static_cast<CDatumDlg*>(setup.GetNestedPage(1));
    CPropertySheet sheet;
    PageOwner owner{rx[0], setup};
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<CPortManGui> port;
};

} // namespace

// A header whose lines look like the keypad's display lines (8 characters,
// a blank line), read while the commands page's home keys are still
// answering; then the header answer still coming when the date page asks.
TEST_P(HeaderAndDateOnTheLine, EachFieldShowsTheAnswerToItsOwnReadAlone)
{
    Start(GetParam());
    const CString written = "Firma XY\r\n\r\nBerlin Mitte";
    header.SetDlgItemText(CFirmenkopfDlg::IDC_HEADER, written);
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_WRITE);
    Show(3);
    Show(0);
    header.SetDlgItemText(CFirmenkopfDlg::IDC_HEADER, "typed");
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    EXPECT_FALSE(header.GetDlgItem(CFirmenkopfDlg::IDC_WRITE)->IsWindowEnabled());
    Wait(header.GetRead());
    EXPECT_EQ(header.m_strHeader, written);
    EXPECT_EQ(header.GetDlgItem(CFirmenkopfDlg::IDC_HEADER)->GetWindowTextString(), written);

    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    // The field empties as 'd' goes out.
    EXPECT_TRUE(vxtest::PumpUntil([&] { return header.m_strHeader.IsEmpty(); }, 15000));
    Show(1);
    date.SendMessage(WM_COMMAND, CDatumDlg::IDC_READ);
    Wait(date.GetRead());
    EXPECT_EQ(date.m_strDate.GetLength(), 17) << date.m_strDate.str();
    EXPECT_TRUE(header.m_strHeader.IsEmpty());
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(SlowLines, HeaderAndDateOnTheLine,
                         ::testing::Values(std::vector<std::string>{"--delay", "400"},
                                           std::vector<std::string>{"--delay", "1000"},
                                           std::vector<std::string>{"--split", "1", "--split-gap", "20"},
                                           // No line end opens the answer: the header's own first characters stay.
                                           std::vector<std::string>{"--header-lead", "none"}));

// A read that went out and got no answer leaves its field empty; one that
// could not go out leaves the field as it was.
TEST_F(HeaderAndDateOnTheLine, NoAnswerOrNoDeviceIsSaidInAnErrorBox)
{
    Start({"--silent", "d", "--delay", "1000"});
    header.SetDlgItemText(CFirmenkopfDlg::IDC_HEADER, "typed");
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    Wait(header.GetRead());
    Show(1);
    date.SetDlgItemText(CDatumDlg::IDC_DATE, "01.01.01 01:01:01");
    sim->Stop();
    ASSERT_TRUE(vxtest::PumpUntil([&] { return !date.IsPortOnline(); }, 15000));
    date.SendMessage(WM_COMMAND, CDatumDlg::IDC_READ);
    date.SendMessage(WM_COMMAND, CDatumDlg::IDC_WRITE);
    EXPECT_TRUE(header.GetDlgItem(CFirmenkopfDlg::IDC_HEADER)->GetWindowTextString().IsEmpty());
    EXPECT_EQ(date.GetDlgItem(CDatumDlg::IDC_DATE)->GetWindowTextString(), CString("01.01.01 01:01:01"));
    std::vector<CString> expected;
    for (UINT id : {5222, 5224, 5225})
        expected.push_back(vx::LoadText(id, vx::kLanguageGerman));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), expected);
    for (const vx::ModalRecord& box : vx::ModalScript::Calls())
        EXPECT_EQ(box.flags, UINT(MB_OK | MB_ICONERROR));
}
