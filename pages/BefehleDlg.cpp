#include "pages/BefehleDlg.h"

#include "app/DeviceCommands.h"

VX_IMPLEMENT_DYNAMIC(CBefehleDlg, CMyPropertyPage)

CBefehleDlg::CBefehleDlg() : CMyPropertyPage(IDD, 0)
{
    VX_ON_COMMAND(IDC_STATUS, OnStatus);
    VX_ON_COMMAND(IDC_STATUS_LONG, OnStatusLong);
    VX_ON_COMMAND(IDC_SENSOR, OnSensorParameter);
    VX_ON_COMMAND(IDC_VERSION, OnVersion);
}

CBefehleDlg::~CBefehleDlg() = default;

// The answers are for the user to read in the terminal view only.
void CBefehleDlg::OnDataReceived(int, int) {}

void CBefehleDlg::SetLanguageTexts()
{
    const int offset = LanguageOffset();
    SetDlgItemTextFromId(5132 + offset, IDC_STATUS);
    SetDlgItemTextFromId(5133 + offset, IDC_STATUS_LONG);
    SetDlgItemTextFromId(5134 + offset, IDC_SENSOR);
    // The version button keeps its template text in every language.
}

void CBefehleDlg::RefreshPage() { EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false); }

void CBefehleDlg::OnChildActivate()
{
    Default();
    SetLanguageTexts();
    RefreshPage();
    SendHomeKeys(CurrentChannel());
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CBefehleDlg::Request(char code)
{
    ClearAnswerText();
    SendCommandByte(CurrentChannel(), static_cast<BYTE>(code));
}

void CBefehleDlg::OnStatus() { Request(DeviceCmd::Status); }
void CBefehleDlg::OnStatusLong() { Request(DeviceCmd::StatusLong); }
void CBefehleDlg::OnSensorParameter() { Request(DeviceCmd::SensorParameters); }
void CBefehleDlg::OnVersion() { Request(DeviceCmd::Version); }
