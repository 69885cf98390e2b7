#include "DDX.h"

#include "Controls.h"
#include "Dialog.h"
#include "Modal.h"
#include "Numbers.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdlib>

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    m_idLastControl = id;
    m_bEditLastControl = FALSE;
    return m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
}

CWnd* CDataExchange::PrepareEditCtrl(int id)
{
    CWnd* w = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return w;
}

void CDataExchange::Fail()
{
    if (!m_bSaveAndValidate)
        throw vx::DataExchangeFailure{};
    if (m_pDlgWnd && m_idLastControl) {
        if (CWnd* ctl = m_pDlgWnd->GetDlgItem(m_idLastControl)) {
            ctl->SetFocus();
            if (m_bEditLastControl)
                if (auto* e = dynamic_cast<CEdit*>(ctl))
                    e->SetSel(0, -1);
        }
    }
    throw vx::DataExchangeFailure{};
}

namespace {

void Refuse(CDataExchange* dx, const CString& text)
{
    MessageBox(dx->m_pDlgWnd, text, nullptr, MB_OK | MB_ICONEXCLAMATION);
    dx->Fail();
}

CString Trimmed(const CString& s)
{
    CString t(s);
    t.Trim();
    return t;
}

// A whole text is one integer in [lo, hi]: sign, digits, blanks around.
bool ParseInteger(const CString& text, long long lo, long long hi, long long& out)
{
    const CString t = Trimmed(text);
    const std::string& s = t.str();
    if (s.empty())
        return false;
    size_t i = 0;
    const bool neg = s[0] == '-';
    if (s[0] == '-' || s[0] == '+')
        ++i;
    if (i >= s.size())
        return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
        if (v > (1LL << 33))
            return false;
    }
    v = neg ? -v : v;
    if (v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool ParseReal(const CString& text, double& out)
{
    const CString t = Trimmed(text);
    if (t.IsEmpty())
        return false;
    const char* end = nullptr;
    const double v = vx::StrToDouble(t.GetString(), &end);
    if (!end || *end != '\0' || end == t.GetString())
        return false;
    out = v;
    return true;
}

template <class T>
void TextInteger(CDataExchange* dx, int id, T& value, long long lo, long long hi, const char* fmt)
{
    CWnd* ctl = dx->PrepareEditCtrl(id);
    if (!ctl)
        return;
    if (dx->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseInteger(ctl->GetWindowTextString(), lo, hi, v))
            Refuse(dx, "Please enter an integer.");
        value = static_cast<T>(v);
    } else {
        ctl->SetWindowText(vx::Format(fmt, value).c_str());
    }
}

} // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.GetPeer())
        return;
    if (auto* dlg = dynamic_cast<CDialog*>(dx->m_pDlgWnd))
        dlg->SubclassDlgItem(static_cast<UINT>(id), &control);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    CWnd* ctl = dx->PrepareEditCtrl(id);
    if (!ctl)
        return;
    if (dx->m_bSaveAndValidate)
        value = ctl->GetWindowTextString();
    else
        ctl->SetWindowText(value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) { TextInteger(dx, id, value, INT_MIN, INT_MAX, "%d"); }
void DDX_Text(CDataExchange* dx, int id, UINT& value) { TextInteger(dx, id, value, 0, UINT_MAX, "%u"); }
void DDX_Text(CDataExchange* dx, int id, long& value)
{
    TextInteger(dx, id, value, LONG_MIN < INT_MIN ? INT_MIN : LONG_MIN, LONG_MAX > INT_MAX ? INT_MAX : LONG_MAX, "%ld");
}
void DDX_Text(CDataExchange* dx, int id, short& value)
{
    TextInteger(dx, id, value, SHRT_MIN, SHRT_MAX, "%hd");
}
void DDX_Text(CDataExchange* dx, int id, BYTE& value) { TextInteger(dx, id, value, 0, 255, "%u"); }

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    CWnd* ctl = dx->PrepareEditCtrl(id);
    if (!ctl)
        return;
    if (dx->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseReal(ctl->GetWindowTextString(), v))
            Refuse(dx, "Please enter a number.");
        value = v;
    } else {
        ctl->SetWindowText(vx::Format("%.*g", DBL_DIG, value).c_str());
    }
}

void DDX_Text(CDataExchange* dx, int id, float& value)
{
    CWnd* ctl = dx->PrepareEditCtrl(id);
    if (!ctl)
        return;
    if (dx->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseReal(ctl->GetWindowTextString(), v) || v > FLT_MAX || v < -FLT_MAX)
            Refuse(dx, "Please enter a number.");
        value = static_cast<float>(v);
    } else {
        ctl->SetWindowText(vx::Format("%.*g", FLT_DIG, static_cast<double>(value)).c_str());
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    auto* b = dynamic_cast<CButton*>(dx->PrepareCtrl(id));
    if (!b)
        return;
    if (dx->m_bSaveAndValidate)
        value = b->GetCheck();
    else
        b->SetCheck(value);
}

void DDX_Radio(CDataExchange* dx, int id, int& value)
{
    CWnd* first = dx->PrepareCtrl(id);
    if (!first || !first->GetParent())
        return;
    const auto& kids = first->GetParent()->GetChildren();
    auto it = std::find(kids.begin(), kids.end(), first);
    if (dx->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (auto k = it; k != kids.end(); ++k) {
        if (k != it && ((*k)->GetStyle() & WS_GROUP))
            break;
        auto* b = dynamic_cast<CButton*>(*k);
        if (!b || !b->IsRadio())
            continue;
        if (dx->m_bSaveAndValidate) {
            if (b->GetCheck() == BST_CHECKED && value < 0)
                value = index;
        } else {
            b->SetCheck(index == value ? BST_CHECKED : BST_UNCHECKED);
        }
        ++index;
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& value)
{
    auto* c = dynamic_cast<CComboBox*>(dx->PrepareCtrl(id));
    if (!c)
        return;
    if (dx->m_bSaveAndValidate)
        value = c->GetCurSel();
    else
        c->SetCurSel(value);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal)
{
    if (dx->m_bSaveAndValidate && (value < minVal || value > maxVal))
        Refuse(dx, CString::Formatted("Please enter an integer between %d and %d.", minVal, maxVal));
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars)
{
    if (dx->m_bSaveAndValidate) {
        if (value.GetLength() > maxChars)
            Refuse(dx, CString::Formatted("Please enter no more than %d characters.", maxChars));
    } else if (dx->m_pDlgWnd && dx->m_idLastControl) {
        if (auto* e = dynamic_cast<CEdit*>(dx->m_pDlgWnd->GetDlgItem(dx->m_idLastControl)))
            e->LimitText(maxChars);
    }
}
