// The interface selection: which serial port (or none) a channel's port
// manager uses, and at which rate. OK applies the choice at once and stores
// it; Cancel changes nothing.
#pragma once

#include "app/ChannelRecord.h"
#include "platform/Dialog.h"

#include <vector>

class CSchnittstellenAuswahlDlg : public CDialog {
    VX_DECLARE_DYNAMIC(CSchnittstellenAuswahlDlg)
public:
    enum { IDD = 104 };

    explicit CSchnittstellenAuswahlDlg(CWnd* parent = nullptr);

    // Set by the caller before DoModal.
    CString m_strTitle;
    int m_iLanguageOffset = 0;
    int m_iChannelBase = 100;            // 100, 200, 300 or 400
    ChannelRecord* m_pChannelTable = nullptr;

    // The record the dialog acts on: base / 100 - 1.
    int GetRecordIndex() const { return m_iChannelBase / 100 - 1; }
    // Ports offered besides the ones found (tests, typed paths).
    std::vector<CString> m_extraPorts;

    // The choice as the user left it (valid after OK).
    CString m_strChosenPort;
    DWORD m_dwChosenBaud = 0;

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The port the user chose: the selected item, unless the field holds a
    // different text (a typed path), which wins; an empty field or the
    // "off" text switches the port off.
    static CString ChoosePort(CString fieldText, bool hasSelection, const CString& selectedText, bool selectedIsOff,
                              const CString& offText);
    // Puts the choice into effect on the record's port manager: off line,
    // new name and rate, open again unless switched off, store. False when
    // the chosen port could not be opened.
    static bool ApplyChoice(ChannelRecord& record, const CString& port, DWORD baud);
};
