// The documentation settings and the interface selection, driven through
// the modal seam.
#include "app/DocumentationDlgTiny.h"
#include "app/SchnittstellenAuswahlDlg.h"
#include "app/StringTable.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "port/CPortMan.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <pty.h>
#include <unistd.h>

namespace {
struct Resources : ::testing::Test {
    void SetUp() override
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::WriteProfileString("DespiteReset", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
    }
    void TearDown() override { SetProgramLanguageOffset(vx::kLanguageGerman); }
};
using DocumentationSettings = Resources;
using InterfaceSelection = Resources;
} // namespace

TEST_F(DocumentationSettings, RecordRoundTripsAsTwentyFourBytesAndAWrongSizeGivesDefaults)
{
    CDocumentationDlgTiny doc;
    doc.m_record.values = {3, 4, 7, 0, 9, 0};
    doc.m_strHeadline = "Prüfstand 3";
    doc.m_strComment = "Zeile 1\r\nZeile 2";
    doc.SaveToProfile();
    std::vector<BYTE> raw;
    ASSERT_TRUE(vx::GetProfileBinary("DespiteReset", "REG_STR_DOCUMENTATION_STRUCT", raw));
    EXPECT_EQ(raw.size(), 24u);
    EXPECT_EQ(raw[0], 3);
    EXPECT_EQ(raw[8], 7);

    CDocumentationDlgTiny back;
    back.LoadFromProfile();
    EXPECT_EQ(back.m_record.values, doc.m_record.values);
    EXPECT_EQ(back.GetHeadline(), doc.m_strHeadline);
    EXPECT_EQ(back.GetComment(), doc.m_strComment);
    CString text;
    int index = -1;
    back.GetLineEnd(text, index);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(text, CString("\n"));
    EXPECT_EQ(back.GetColumnSeparatorChar(), ' ');
    EXPECT_EQ(back.GetDecimalSeparatorChar(), '.');
    EXPECT_FALSE(back.GetPhysicalUnit());

    const BYTE shortValue[23] = {3};
    vx::WriteProfileBinary("DespiteReset", "REG_STR_DOCUMENTATION_STRUCT", shortValue, sizeof shortValue);
    back.LoadFromProfile();
    EXPECT_EQ(back.m_record.values, (std::array<std::int32_t, 6>{0, 1, 0, 1, 0, 1}));
    back.GetColumnSeparator(text);
    EXPECT_EQ(text, CString(";"));
    back.GetDecimalSeparator(text);
    EXPECT_EQ(text, CString(","));
}

TEST_F(DocumentationSettings, DialogEditsAndStoresTheFormat)
{
    CDocumentationDlgTiny doc;
    doc.LoadFromProfile();
    vx::ModalScript::AnswerDialog([](CWnd* w) {
        auto* d = static_cast<CDocumentationDlgTiny*>(w);
        d->SetDlgItemText(1010, "Kopf");
        static_cast<CComboBox*>(d->GetDlgItem(1012))->SetCurSel(2);
        static_cast<CComboBox*>(d->GetDlgItem(1013))->SetCurSel(0);
        d->CheckDlgButton(1015, BST_UNCHECKED);
        d->OnOK();
        return IDOK;
    });
    EXPECT_EQ(doc.DoModal(), IDOK);
    EXPECT_EQ(doc.GetHeadline(), CString("Kopf"));
    EXPECT_EQ(doc.m_record.values, (std::array<std::int32_t, 6>{2, 0, 0, 1, 0, 0}));
    CDocumentationDlgTiny stored;
    stored.LoadFromProfile();
    EXPECT_EQ(stored.m_record.values, doc.m_record.values);
    EXPECT_EQ(stored.GetColumnSeparatorChar(), '\t');
}

TEST_F(DocumentationSettings, IndexesTheListsCannotShowSurviveAnUntouchedOk)
{
    CDocumentationDlgTiny doc;
    doc.m_record.values = {9, 7, 0, 5, 0, 1};
    vx::ModalScript::AnswerDialog([](CWnd* w) {
        auto* d = static_cast<CDocumentationDlgTiny*>(w);
        d->SetDlgItemText(1011, "nur der Kommentar");
        d->OnOK();
        return IDOK;
    });
    EXPECT_EQ(doc.DoModal(), IDOK);
    EXPECT_EQ(doc.m_record.values, (std::array<std::int32_t, 6>{9, 7, 0, 5, 0, 1}));
    EXPECT_EQ(doc.GetColumnSeparatorChar(), '$');
    EXPECT_EQ(doc.GetComment(), CString("nur der Kommentar"));
}

TEST_F(DocumentationSettings, EqualSeparatorsAreRefusedAtOkInTheUsersLanguageAndNothingIsStored)
{
    const int french = vx::kLanguageFrench;
    CDocumentationDlgTiny doc;
    doc.SetLanguageOffsetPointer(&french);
    vx::ModalScript::Clear();
    vx::ModalScript::AnswerDialog([](CWnd* w) {
        static_cast<CComboBox*>(w->GetDlgItem(1013))->SetCurSel(2);   // ',' against the decimal ','
        static_cast<CDocumentationDlgTiny*>(w)->OnOK();
        return static_cast<CDialog*>(w)->GetModalResult();
    });
    EXPECT_NE(doc.DoModal(), IDOK);
    const CString text = vx::FromUtf8("Le séparateur de colonnes et le séparateur décimal doivent être différents.");
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{text});
    std::vector<BYTE> raw;
    EXPECT_FALSE(vx::GetProfileBinary("DespiteReset", "REG_STR_DOCUMENTATION_STRUCT", raw));
}

TEST_F(InterfaceSelection, OkSwitchesThePortAndStoresItCancelChangesNothing)
{
    CPortMan man;
    man.m_Dcb.m_strSection = "SerPort1";
    man.m_Dcb.m_strPortName = "/dev/ttyUSB7";
    ChannelRecord table[kChannelCount];
    table[0].m_pPortMan = &man;

    CSchnittstellenAuswahlDlg dlg;
    dlg.m_iChannelBase = 100;
    dlg.m_pChannelTable = table;
    dlg.m_iLanguageOffset = vx::kLanguageEnglish;
    vx::ModalScript::AnswerDialog(IDCANCEL);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(man.m_Dcb.m_strPortName, CString("/dev/ttyUSB7"));

    CString firstEntry;
    vx::ModalScript::AnswerDialog([&](CWnd* w) {
        auto* d = static_cast<CSchnittstellenAuswahlDlg*>(w);
        auto* ports = static_cast<CComboBox*>(d->GetDlgItem(1020));
        firstEntry = ports->GetLBText(0);
        ports->SetCurSel(0);   // "off"
        auto* rates = static_cast<CComboBox*>(d->GetDlgItem(1021));
        rates->SetCurSel(rates->FindStringExact(-1, "9600"));
        d->OnOK();
        return IDOK;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(firstEntry, CString("off"));
    EXPECT_EQ(man.m_Dcb.m_strPortName, CString("OffLine"));
    EXPECT_EQ(man.m_Dcb.m_dwBaudRate, 9600u);
    EXPECT_EQ(vx::GetProfileString("SerPort1", "Port", ""), CString("OffLine"));
    EXPECT_NE(man.GetPortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
}

TEST_F(InterfaceSelection, APortThatCannotBeOpenedIsReportedAndLeftOffLine)
{
    CPortMan man;
    man.m_Dcb.m_strSection = "SerPort1";
    man.m_Dcb.m_strPortName = "OffLine";
    ChannelRecord table[kChannelCount];
    table[0].m_pPortMan = &man;

    // A directory: present, so it is offered, but it never opens as a port.
    QTemporaryDir notAPort;
    ASSERT_TRUE(notAPort.isValid());
    const CString missing = vx::FromQString(notAPort.path());
    CSchnittstellenAuswahlDlg dlg;
    dlg.m_pChannelTable = table;
    dlg.m_extraPorts.push_back(missing);
    vx::ModalScript::Clear();
    vx::ModalScript::AnswerDialog([&](CWnd* w) {
        auto* d = static_cast<CSchnittstellenAuswahlDlg*>(w);
        auto* ports = static_cast<CComboBox*>(d->GetDlgItem(1020));
        ports->SetCurSel(ports->FindStringExact(-1, missing));
        d->OnOK();
        return IDOK;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(man.m_Dcb.m_strPortName, missing);
    EXPECT_NE(man.GetPortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    // The text names the port once.
    const auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    const int at = texts[0].Find(missing);
    EXPECT_GE(at, 0);
    EXPECT_EQ(texts[0].Find(missing, at + 1), -1) << texts[0].GetString();
}

TEST_F(InterfaceSelection, ATypedPathWinsOverTheSelectedItem)
{
    CPortMan man;
    man.m_Dcb.m_strSection = "SerPort1";
    man.m_Dcb.m_strPortName = "OffLine";
    ChannelRecord table[kChannelCount];
    table[0].m_pPortMan = &man;
    CSchnittstellenAuswahlDlg dlg;
    dlg.m_pChannelTable = table;
    dlg.m_iLanguageOffset = vx::kLanguageEnglish;
    SetProgramLanguageOffset(vx::kLanguageEnglish);
    auto typeIntoField = [&](const CString& text) {
        vx::ModalScript::AnswerDialog([text](CWnd* w) {
            auto* d = static_cast<CSchnittstellenAuswahlDlg*>(w);
            d->SetDlgItemText(1020, text);
            d->OnOK();
            return IDOK;
        });
        return dlg.DoModal();
    };

    // A path that does not exist: taken, and its failure is told with the reason.
    vx::ModalScript::Clear();
    EXPECT_EQ(typeIntoField("/dev/ttyNOPE"), IDOK);
    EXPECT_EQ(man.m_Dcb.m_strPortName, CString("/dev/ttyNOPE"));
    EXPECT_EQ(vx::GetProfileString("SerPort1", "Port", ""), CString("/dev/ttyNOPE"));
    auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Find("The serial port /dev/ttyNOPE is not present."), 0) << texts[0].GetString();

    // Opened again, the dialog shows the stored path, not "off"; OK keeps it.
    CString shown;
    vx::ModalScript::AnswerDialog([&](CWnd* w) {
        w->GetDlgItemText(1020, shown);
        static_cast<CSchnittstellenAuswahlDlg*>(w)->OnOK();
        return IDOK;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, CString("/dev/ttyNOPE"));
    EXPECT_EQ(man.m_Dcb.m_strPortName, CString("/dev/ttyNOPE"));

    // Back from there to a link no enumeration offers (a pseudo terminal, as
    // the simulator uses): it opens.
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    vx::ModalScript::Clear();
    EXPECT_EQ(typeIntoField(name), IDOK);
    EXPECT_EQ(man.m_Dcb.m_strPortName, CString(name));
    EXPECT_EQ(man.GetPortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    man.GoOffline(false);
    ::close(slave);
    ::close(master);
}

TEST(InterfaceChoice, TheFieldTextWinsWhenItDiffersFromTheSelection)
{
    const CString off = "off";
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("/dev/ttyS0", true, "/dev/ttyS0", false, off), CString("/dev/ttyS0"));
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort(" /dev/pts/4 ", true, "/dev/ttyS0", false, off), CString("/dev/pts/4"));
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("off", true, "off", true, off), CString("OffLine"));
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("/dev/ttyACM0", true, "off", true, off), CString("/dev/ttyACM0"));
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("", true, "/dev/ttyS0", false, off), CString("OffLine"));
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("off", false, "", false, off), CString("OffLine"));
    // A port really called like the "off" item stays a port when it is the selected item.
    EXPECT_EQ(CSchnittstellenAuswahlDlg::ChoosePort("off", true, "off", false, off), CString("off"));
}
