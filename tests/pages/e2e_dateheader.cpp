// The company header and date pages against vx35sim on a real
// pseudo-terminal with the real clock, as a user walks the setup tab: the
// commands page first (its home keys), then a read on a slow line, a header
// answer too late for its own read, a device gone in the middle.
#include "app/StringTable.h"
#include "pages/BefehleDlg.h"
#include "pages/DatumDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"
#include "tests/support/EventPump.h"
#include "tests/support/SimDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Stands in for the main dialog: each chunk goes to the sheet's shown page,
// and a device that went away takes the port off line.
class Owner : public CWnd {
public:
    Owner(CString& text, CPropertySheet& sheet) : m_text(text), m_sheet(sheet)
    {
        VX_ON_MESSAGE(WM_PORT_DATA, OnPortData);
        VX_ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange);
    }
    CPortManGui* port = nullptr;

private:
    LRESULT OnPortData(WPARAM count, LPARAM bytes)
    {
        const int n = static_cast<int>(count);
        if (n > 0 && bytes)
            m_text.Append(reinterpret_cast<const char*>(bytes), n);
        if (auto* page = dynamic_cast<CMyPropertyPage*>(m_sheet.GetActivePage()))
            page->OnDataReceived(n, 0);
        return 0;
    }
    LRESULT OnDeviceChange(WPARAM event, LPARAM)
    {
        if (port)
            port->OnDeviceChange(event);
        return 0;
    }
    CString& m_text;
    CPropertySheet& m_sheet;
};

class SetupOnTheLine : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& simArgs)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::ModalScript::Clear();
        sim = std::make_unique<SimDevice>("", simArgs);
        ASSERT_TRUE(sim->Started());
        ASSERT_TRUE(owner.Create("", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        port = std::make_unique<CPortManGui>(&owner, WM_PORT_DATA, WM_PORT_STATUS);
        port->m_Dcb.m_strPortName = sim->Path().c_str();
        port->m_Dcb.m_dwBaudRate = 115200;
        ASSERT_EQ(port->Open(), 0);
        owner.port = port.get();
        table[0].m_pPortMan = port.get();
        const CPageSharedState s{table, rx, &language, &zero, &zero, &zero, &zero, &arrival};
        for (CMyPropertyPage* page : {static_cast<CMyPropertyPage*>(&header), static_cast<CMyPropertyPage*>(&date),
                                      static_cast<CMyPropertyPage*>(&commands)}) {
            page->SetSharedState(s);
            sheet.AddPage(page);
        }
        ASSERT_TRUE(sheet.Create(nullptr, WS_POPUP | WS_VISIBLE));
    }
    void TearDown() override
    {
        if (sheet.IsWindow())
            sheet.DestroyWindow();
        if (port)
            port->GoOffline(false);
        owner.port = nullptr;
        table[0].m_pPortMan = nullptr;
        port.reset();
        if (owner.IsWindow())
            owner.DestroyWindow();
    }
    // The commands page is shown (five home keys), then the header page.
    void FromTheCommandsPage()
    {
        sheet.SetActivePage(2);
        sheet.SetActivePage(0);
    }
    bool Ends(const CDeviceTextRead& read) { return vxtest::PumpUntil([&] { return !read.IsRunning(); }, 15000); }

    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int language = 0, zero = 0;
    BYTE arrival = 0;
    CFirmenkopfDlg header;
    CDatumDlg date;
    CBefehleDlg commands;
    CPropertySheet sheet;
    Owner owner{rx[0], sheet};
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<CPortManGui> port;
};

bool LooksLikeADate(const CString& t)
{
    const std::string s = t.str();
    return s.size() == 17 && s[2] == '.' && s[5] == '.' && s[8] == ' ' && s[11] == ':' && s[14] == ':';
}

} // namespace

class SlowLines : public SetupOnTheLine, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(SlowLines, HeaderReadRightAfterTheHomeKeysShowsTheHeaderAlone)
{
    Start(GetParam());
    FromTheCommandsPage();
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    ASSERT_TRUE(Ends(header.GetRead()));
    EXPECT_EQ(header.m_strHeader, "VX35 SIMULATOR\r\nPRUEFSTAND 1");
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(LateAndBytePaced, SlowLines,
                         ::testing::Values(std::vector<std::string>{"--delay", "400"},
                                           std::vector<std::string>{"--split", "1", "--split-gap", "20"}));

TEST_F(SetupOnTheLine, HeaderAnswerTooLateForItsReadNeverLandsInTheDateField)
{
    Start({"--delay", "1000"});
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    sheet.SetActivePage(1);
    date.SendMessage(WM_COMMAND, CDatumDlg::IDC_READ);
    ASSERT_TRUE(Ends(date.GetRead()));
    EXPECT_TRUE(LooksLikeADate(date.m_strDate)) << date.m_strDate.str();
    EXPECT_TRUE(header.m_strHeader.IsEmpty());
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST_F(SetupOnTheLine, DeviceGoneDuringAReadLeavesNoOldTextAndSaysSo)
{
    Start({"--delay", "1000"});
    header.SetDlgItemText(CFirmenkopfDlg::IDC_HEADER, "old header");
    header.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    sim->Stop();
    ASSERT_TRUE(Ends(header.GetRead()));
    EXPECT_TRUE(header.m_strHeader.IsEmpty());
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{vx::LoadText(5224, vx::kLanguageGerman)});
}
