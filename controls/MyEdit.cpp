#include "controls/MyEdit.h"

#include "platform/Numbers.h"
#include "platform/Text1252.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QValidator>

VX_IMPLEMENT_DYNAMIC(CMyEdit, CEdit)

namespace {

// Sits in front of the edit's own validator: an insertion (typed or pasted)
// holding a character that is not allowed is refused as a whole, the rest
// goes on to the edit's own checks (code page 1252, the limit). A character
// outside 1252 reads as '?' here, which the field may allow: the edit's
// own check refuses it.
class VxFilterValidator : public QValidator {
public:
    VxFilterValidator(CMyEdit* owner, const QValidator* inner, QObject* parent)
        : QValidator(parent), m_owner(owner), m_inner(inner)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        if (m_previous.isNull())
            m_previous = QString();
        const vx::TextChange change = vx::FindTextChange(m_previous, input);
        if (change.inserted > 0 && !m_owner->IsAllowed(vx::FromQString(input.mid(change.keptFront, change.inserted))))
            return Invalid;
        State s = Acceptable;
        if (m_inner)
            s = m_inner->validate(input, pos);
        if (s != Invalid)
            m_previous = input;
        return s;
    }

    void setPrevious(const QString& text) const { m_previous = text; }

private:
    CMyEdit* m_owner;
    QPointer<const QValidator> m_inner;
    mutable QString m_previous;
};

} // namespace

CMyEdit::CMyEdit() = default;
CMyEdit::~CMyEdit() = default;

bool CMyEdit::Init(const char* allowed, int offset0, int offset1, int offset2, int offset3,
                   const int* languageOffset, bool numeric, const char* decimalChar, int)
{
    m_bAnyChar = allowed == nullptr;
    m_allowed = allowed ? allowed : "";
    m_offsets[0] = offset0;
    m_offsets[1] = offset1;
    m_offsets[2] = offset2;
    m_offsets[3] = offset3;
    m_pLanguageOffset = languageOffset;
    m_bNumeric = numeric;
    m_pDecimalChar = decimalChar;
    m_bInitDone = true;
    installFilter(GetPeer());
    return true;
}

void CMyEdit::SetLimitText(UINT limit)
{
    m_limit = limit;
    SendMessage(EM_LIMITTEXT, limit, 0);
}

bool CMyEdit::IsAllowed(const CString& text) const
{
    if (m_bAnyChar)
        return true;
    for (int i = 0; i < text.GetLength(); ++i)
        if (m_allowed.Find(text[i]) < 0)
            return false;
    return true;
}

double CMyEdit::GetValue() const
{
    CString text = GetWindowTextString();
    text.Trim();
    const char dec = (m_pDecimalChar && *m_pDecimalChar) ? *m_pDecimalChar : ',';
    // Both separators read as the decimal point, so a value typed with the
    // other one is not taken for a different number.
    if (dec != '.')
        text.Replace(dec, '.');
    text.Replace(',', '.');
    return vx::StrToDouble(text);
}

bool CMyEdit::IsValueChanged()
{
    if (m_bFirstCheck) {
        m_bFirstCheck = false;
        m_dLastValue = GetValue();
        return true;
    }
    if (m_bLocked)
        return false;
    if (!m_bNumeric)
        return true;
    const double value = GetValue();
    if (value == m_dLastValue)
        return false;
    m_dLastValue = value;
    return true;
}

void CMyEdit::OnChar(UINT nChar, UINT repCnt, UINT flags)
{
    // Control characters (backspace, Ctrl+V, ...) pass; the validator sees
    // what they insert.
    if (nChar >= 0x20 && !m_bAnyChar && m_allowed.Find(static_cast<char>(nChar)) < 0)
        return;
    CEdit::OnChar(nChar, repCnt, flags);
}

QWidget* CMyEdit::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CEdit::CreatePeer(qtParent);
    m_filterInstalled = false;
    if (m_bInitDone)
        installFilter(w);
    return w;
}

void CMyEdit::installFilter(QWidget* peer)
{
    auto* le = qobject_cast<QLineEdit*>(peer);
    if (!le || m_filterInstalled)
        return;
    auto* v = new VxFilterValidator(this, le->validator(), le);
    v->setPrevious(le->text());
    QObject::connect(le, &QLineEdit::textChanged, v, [v](const QString& t) { v->setPrevious(t); });
    le->setValidator(v);
    m_filterInstalled = true;
}
