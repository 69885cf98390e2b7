#include "pages/ParameterSend.h"

#include "app/DeviceCommands.h"
#include "platform/Numbers.h"

namespace {

CString Fixed(const CString& text, int width)
{
    CString padded = text;
    for (int i = 0; i < width; ++i)
        padded += ' ';
    return padded.Left(width);
}

void AppendWord(CString& out, WORD w)
{
    out += static_cast<char>(w >> 8);
    out += static_cast<char>(w & 0xFF);
}

} // namespace

int ParameterNominalToBcd(const CString& nominal, BYTE& high, BYTE& low)
{
    CString text = nominal;
    text.Trim();
    // The field takes '.' as well; its digits must not reach the device as
    // the nibble of a '.'.
    text.Replace(".", ",");
    bool firstPass = true;
    while (text.GetLength() < 5) {
        if (firstPass && text.Find(',') < 0)
            text += ',';
        else
            text = "0" + text;
        firstPass = false;
    }
    const int p = text.Find(',');
    if (p < 1)
        while (text.GetLength() > 4)
            text = text.Mid(1);
    text.Replace(",", "");
    auto nibble = [&](int i) { return i < text.GetLength() ? (static_cast<BYTE>(text[i]) & 0x0F) : 0; };
    high = static_cast<BYTE>((nibble(0) << 4) + nibble(1));
    low = static_cast<BYTE>((nibble(2) << 4) + nibble(3));
    return p >= 1 && p <= 4 ? p : 0;
}

CString ParameterRowText(const CString& name, const CString& nominal, const CString& unit,
                         const ParameterRowRecord& record)
{
    CString text = Fixed(name, 8);
    BYTE high = 0, low = 0;
    const int decimals = ParameterNominalToBcd(nominal, high, low);
    text += static_cast<char>(high);
    text += static_cast<char>(low);
    text += Fixed(unit, 3);
    text += static_cast<char>((record.typeCode + decimals) & 0xFF);
    AppendWord(text, record.raw0);
    AppendWord(text, record.raw100);
    AppendWord(text, record.factoryFirst);
    AppendWord(text, record.factorySecond);
    return text;
}

bool ParameterNominalSendable(const CString& nominal)
{
    CString text = nominal;
    text.Trim();
    text.Replace(".", ",");
    int digits = 0, signs = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == ',')
            ++signs;
        else
            return false;
    }
    if (digits == 0 || signs > 1)
        return false;
    // The device gets four digits and a decimals code; what the read makes
    // of them must be the number the user typed, or the sensor is scaled
    // wrongly ("0012,5" would arrive as 12, ",1234" as 1234).
    BYTE high = 0, low = 0;
    const int code = ParameterNominalToBcd(text, high, low);
    CString back = ParameterNominalText(high, low, code);
    back.Replace(",", ".");
    text.Replace(",", ".");
    return vx::StrToDouble(back) == vx::StrToDouble(text);
}

ParameterSendCheck CheckParameterRows(const ParameterRowTexts rows[kParameterRows])
{
    // An empty value is left to the empty check.
    for (int r = 0; r < kParameterRows; ++r)
        if (!rows[r].nominal.IsEmpty() && !ParameterNominalSendable(rows[r].nominal))
            return ParameterSendCheck::Range;
    for (int r = 0; r < kParameterRows; ++r)
        if (rows[r].name.IsEmpty() || rows[r].nominal.IsEmpty() || rows[r].unit.IsEmpty())
            return ParameterSendCheck::Empty;
    return ParameterSendCheck::Ok;
}

CParameterRead::Actions ParameterSendActions(const ParameterRowTexts rows[kParameterRows],
                                             const ParameterRowRecord records[kParameterRows])
{
    using A = ParameterReadAction;
    CParameterRead::Actions out;
    switch (CheckParameterRows(rows)) {
    case ParameterSendCheck::Range:
        out.push_back({A::MessageBox, CString("Check Input Range.")});
        break;
    case ParameterSendCheck::Empty:
        out.push_back({A::MessageBox, CString("Check Input of empty strings.")});
        break;
    case ParameterSendCheck::Ok:
        out.push_back({A::HideButtons, CString()});
        for (int r = 0; r < kParameterRows; ++r) {
            const CString text = ParameterRowText(rows[r].name, rows[r].nominal, rows[r].unit, records[r]);
            out.push_back({A::WriteRow, BuildRowFrame(r, text), static_cast<UINT>(r + 1)});
            out.push_back({A::Sleep, CString(), 0, kParameterRowSendWaitMs});
        }
        // The end of the send reports what reached the port, and refreshes.
        out.push_back({A::EndSend, CString()});
        return out;
    }
    out.push_back({A::RefreshPage, CString()});
    return out;
}

CParameterRead::Actions CParameterRead::SendButton()
{
    if (!m_sendPending)
        return StartPreRead();
    m_sendPending = false;
    ParameterRowTexts rows[kParameterRows];
    for (int r = 0; r < kParameterRows; ++r)
        rows[r] = m_rows[r];
    Actions out = ParameterSendActions(rows, m_records);
    if (!out.empty() && out.back().kind == ParameterReadAction::EndSend) {
        m_sending = true;
        m_sendBroken = false;
        m_sendChecking = false;
        m_rowsSent = 0;
    }
    return out;
}

void CParameterRead::RowWritten(int row, bool ok)
{
    // Rows count only in order: after a failed frame none is taken for sent.
    if (!ok)
        m_sendBroken = true;
    else if (!m_sendBroken && row == m_rowsSent + 1)
        m_rowsSent = row;
}

CParameterRead::Actions CParameterRead::SendEnded(bool portOnline)
{
    Actions out;
    if (!m_sending)
        return out;
    if (portOnline && m_rowsSent == kParameterRows && !m_sendChecking) {
        // The page's refresh for a lost port ends the send before this.
        m_sendChecking = true;
        out.push_back({ParameterReadAction::SetTimer, CString(), kSendCheckTimer, kSendCheckMs});
        return out;
    }
    m_sending = false;
    out.push_back({ParameterReadAction::KillTimer, CString(), kSendCheckTimer});
    if (m_rowsSent < kParameterRows || !portOnline) {
        // The device may now hold new rows over old ones: the user must know
        // which, and that the last frame out may not have reached it.
        UINT id = kSendCutTextId;
        if (m_rowsSent == 0)
            id = kLostBeforeRowsTextId;
        else if (m_rowsSent >= kParameterRows)
            id = kLostAfterRowsTextId;
        CString text = Load(id + static_cast<UINT>(m_langOffset));
        CString sent, unsent;
        sent.Format(m_rowsSent > 1 ? "1-%d" : "%d", m_rowsSent);
        unsent.Format(m_rowsSent + 1 < kParameterRows ? "%d-%d" : "%d", m_rowsSent + 1, kParameterRows);
        text.Replace("%1", sent);
        text.Replace("%2", unsent);
        Box(out, text, id);
    }
    out.push_back({ParameterReadAction::RefreshPage, CString()});
    return out;
}
