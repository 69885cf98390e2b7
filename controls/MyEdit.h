// An edit field that takes only the characters it is told, with a text
// limit and a change check: pages ask it whether the user really changed
// the value since it last reported, so re-typing "1,0" as "1,00" is no
// change in numeric mode.
#pragma once

#include "platform/Controls.h"

class CMyEdit : public CEdit {
    VX_DECLARE_DYNAMIC(CMyEdit)
public:
    CMyEdit();
    ~CMyEdit() override;

    // allowed: the characters the user may type or paste (null: any).
    // The four language offsets and the pointer to the current one are kept
    // for the field's localisation; decimalChar (may be null) is the decimal
    // separator the value is read with in numeric mode. Returns true.
    bool Init(const char* allowed, int offset0, int offset1, int offset2, int offset3,
              const int* languageOffset, bool numeric, const char* decimalChar, int reserved);

    // Sends EM_LIMITTEXT and remembers the limit.
    void SetLimitText(UINT limit);
    UINT GetRememberedLimit() const { return m_limit; }

    // True on the first call (the current text becomes the reference);
    // then false while locked; in text mode true; in numeric mode true only
    // when the value differs from the one last reported.
    bool IsValueChanged();
    void LockChangeCheck() { m_bLocked = true; }
    void UnlockChangeCheck() { m_bLocked = false; }
    bool IsChangeCheckLocked() const { return m_bLocked; }

    // The text's value as a number (decimal separator as set in Init).
    double GetValue() const;
    // Whether every character of text may go in.
    bool IsAllowed(const CString& text) const;
    bool IsNumeric() const { return m_bNumeric; }

protected:
    void OnChar(UINT nChar, UINT repCnt, UINT flags) override;
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    void installFilter(QWidget* peer);
    CString m_allowed;
    bool m_bAnyChar = true;
    int m_offsets[4] = {0, 1000, 2000, 3000};
    const int* m_pLanguageOffset = nullptr;
    bool m_bNumeric = false;
    const char* m_pDecimalChar = nullptr;
    UINT m_limit = 0;
    bool m_bLocked = false;
    bool m_bFirstCheck = true;
    double m_dLastValue = 0.0;
    bool m_filterInstalled = false;
    bool m_bInitDone = false;
};
