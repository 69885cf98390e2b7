#include "Controls.h"

#include "Dc.h"
#include "Numbers.h"
#include "Text1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTabBar>
#include <QTextBlock>
#include <QToolButton>
#include <QToolTip>
#include <QValidator>

#include <algorithm>
#include <climits>

VX_IMPLEMENT_DYNAMIC(CControlWnd, CWnd)
VX_IMPLEMENT_DYNAMIC(CButton, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CStatic, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CEdit, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CComboBox, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CListBox, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CSliderCtrl, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CDateTimeCtrl, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CTabCtrl, CControlWnd)
VX_IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
VX_IMPLEMENT_DYNAMIC(CRichEditCtrl, CEdit)

namespace {

// Keeps the "set from code" flag for a scope, restoring the previous value.
struct CodeScope {
    bool& flag;
    bool old;
    explicit CodeScope(bool& f) : flag(f), old(f) { flag = true; }
    ~CodeScope() { flag = old; }
};

// '&' marks a mnemonic in static texts; "&&" is a literal '&'.
QString StripMnemonic(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&'))
                out += QLatin1Char('&'), ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

// Multi-line edits count a line break as CR LF, Qt as one character.
int QtToWinPos(const QString& text, int pos)
{
    pos = std::clamp(pos, 0, static_cast<int>(text.size()));
    return pos + static_cast<int>(text.left(pos).count(QLatin1Char('\n')));
}

int WinToQtPos(const QString& text, int pos)
{
    int win = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int w = text[i] == QLatin1Char('\n') ? 2 : 1;
        if (win + w > pos)
            return i;
        win += w;
    }
    return static_cast<int>(text.size());
}

int WinLength(const QString& text) { return QtToWinPos(text, static_cast<int>(text.size())); }

QString FromWinText(const CString& text)
{
    QString q = vx::ToQString(text);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

CString ToWinText(QString q)
{
    q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return vx::FromQString(q);
}

// Draws one owner-drawn item through a DC on an image and puts it on screen.
void DrawOwnerItem(QPainter* painter, const QRect& r, CWnd* ctl, UINT type, int item, UINT state,
                   UINT_PTR data, const QColor& background)
{
    if (r.width() <= 0 || r.height() <= 0 || !ctl || !ctl->GetParent())
        return;
    QImage img(r.size(), QImage::Format_RGB32);
    img.fill(background);
    {
        CDC dc;
        dc.AttachImage(&img);
        DRAWITEMSTRUCT dis;
        dis.CtlType = type;
        dis.CtlID = static_cast<UINT>(ctl->GetDlgCtrlID());
        dis.itemID = static_cast<UINT>(item);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = ctl;
        dis.hDC = &dc;
        dis.rcItem = CRect(0, 0, r.width(), r.height());
        dis.itemData = data;
        ctl->GetParent()->SendMessage(WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    }
    painter->drawImage(r.topLeft(), img);
}

constexpr int kItemDataRole = Qt::UserRole + 1;

} // namespace

// ---- CControlWnd --------------------------------------------------------------

CControlWnd::~CControlWnd()
{
    // The widget outlives this object by a moment (CWnd deletes it); no
    // signal of it may reach the parts already gone.
    delete m_ctx;
}

QObject* CControlWnd::Ctx()
{
    if (!m_ctx)
        m_ctx = new QObject;
    return m_ctx;
}

BOOL CControlWnd::CreateControl(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                                DWORD exStyle)
{
    if (!CreateEx(exStyle, nullptr, text, style, rect, parent, id))
        return FALSE;
    if (auto* combo = dynamic_cast<CComboBox*>(this)) {
        // A template's combo height is the dropped list; the field keeps the
        // height of one line.
        const CRect r(rect);
        combo->m_dropHeight = r.Height();
        const int field = GetPeer() ? GetPeer()->sizeHint().height() : r.Height();
        if (r.Height() > field)
            MoveWindow(r.left, r.top, r.Width(), field, FALSE);
    } else if (auto* spin = dynamic_cast<CSpinButtonCtrl*>(this)) {
        if ((style & UDS_AUTOBUDDY) && parent) {
            CWnd* before = nullptr;
            for (CWnd* c : parent->GetChildren()) {
                if (c == this)
                    break;
                before = c;
            }
            if (before)
                spin->SetBuddy(before);
        }
    } else if (GetPeer() && qobject_cast<QGroupBox*>(GetPeer())) {
        // Group boxes only frame the controls drawn over them.
        GetPeer()->lower();
    }
    return TRUE;
}

void CControlWnd::NotifyCommand(UINT code)
{
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, (static_cast<WPARAM>(code & 0xFFFF) << 16) | (GetDlgCtrlID() & 0xFFFF),
                            reinterpret_cast<LPARAM>(this));
}

LRESULT CControlWnd::NotifyParent(UINT code, NMHDR* header)
{
    NMHDR local;
    NMHDR* h = header ? header : &local;
    h->hwndFrom = this;
    h->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    h->code = code;
    CWnd* parent = GetParent();
    return parent ? parent->SendMessage(WM_NOTIFY, h->idFrom, reinterpret_cast<LPARAM>(h)) : 0;
}

// ---- CButton --------------------------------------------------------------------

class VxOwnerDrawButton : public QPushButton {
public:
    VxOwnerDrawButton(CButton* owner, QWidget* parent) : QPushButton(parent), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override { m_owner->paintOwnerDraw(this); }

private:
    CButton* m_owner;
};

CButton::CButton() = default;
CButton::~CButton() = default;

bool CButton::IsCheckBox() const
{
    const UINT t = GetButtonType();
    return t == BS_AUTOCHECKBOX || t == BS_AUTO3STATE || t == 0x2 || t == 0x5;
}

QWidget* CButton::CreatePeer(QWidget* qtParent)
{
    const UINT type = GetStyle() & BS_TYPEMASK;
    QAbstractButton* b = nullptr;
    if (type == BS_GROUPBOX) {
        auto* g = new QGroupBox(qtParent);
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        // The frame line runs through the middle of the title, which sits
        // a little in from the left edge, as dialog templates expect.
        g->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 7px; padding: 0 2px; }"));
        return g;
    }
    if (type == BS_AUTORADIOBUTTON || type == 0x4) {
        auto* r = new QRadioButton(qtParent);
        r->setAutoExclusive(false);
        b = r;
    } else if (IsCheckBox()) {
        auto* c = new QCheckBox(qtParent);
        c->setTristate(type == BS_AUTO3STATE || type == 0x5);
        b = c;
    } else if (type == BS_OWNERDRAW) {
        b = new VxOwnerDrawButton(this, qtParent);
    } else {
        auto* p = new QPushButton(qtParent);
        p->setAutoDefault(false);
        p->setDefault(type == BS_DEFPUSHBUTTON);
        if (GetStyle() & BS_PUSHLIKE)
            p->setCheckable(true);
        b = p;
    }
    if ((GetStyle() & BS_PUSHLIKE) && !qobject_cast<QPushButton*>(b))
        b->setCheckable(true);
    QObject::connect(b, &QAbstractButton::clicked, Ctx(), [this](bool) { userClicked(); });
    return b;
}

void CButton::userClicked()
{
    if (m_settingFromCode)
        return;
    if (IsRadio()) {
        // Auto radio buttons: this one on, the rest of its group off.
        SetCheck(BST_CHECKED);
        if (CWnd* parent = GetParent()) {
            const auto& kids = parent->GetChildren();
            auto self = std::find(kids.begin(), kids.end(), this);
            if (self != kids.end()) {
                auto first = self;
                while (first != kids.begin() && !((*first)->GetStyle() & WS_GROUP))
                    --first;
                for (auto it = first; it != kids.end(); ++it) {
                    if (it != first && ((*it)->GetStyle() & WS_GROUP))
                        break;
                    if (auto* rb = dynamic_cast<CButton*>(*it); rb && rb != this && rb->IsRadio())
                        rb->SetCheck(BST_UNCHECKED);
                }
            }
        }
    } else if (IsCheckBox()) {
        if (GetButtonType() == BS_AUTO3STATE)
            SetCheck((m_check + 1) % 3);
        else
            SetCheck(m_check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    }
    NotifyCommand(BN_CLICKED);
}

int CButton::GetCheck() const { return m_check; }

void CButton::SetCheck(int check)
{
    m_check = check;
    CodeScope scope(m_settingFromCode);
    if (auto* c = qobject_cast<QCheckBox*>(GetPeer()))
        c->setCheckState(check == BST_CHECKED ? Qt::Checked
                         : check == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                      : Qt::Unchecked);
    else if (auto* b = qobject_cast<QAbstractButton*>(GetPeer()); b && b->isCheckable())
        b->setChecked(check == BST_CHECKED);
}

void CButton::Click()
{
    if (IsWindowEnabled())
        userClicked();
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

void CButton::paintOwnerDraw(QWidget* w)
{
    QPainter p(w);
    UINT state = 0;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isDown())
        state |= ODS_SELECTED;
    if (w->hasFocus())
        state |= ODS_FOCUS;
    if (!w->isEnabled())
        state |= ODS_DISABLED;
    DrawOwnerItem(&p, w->rect(), this, ODT_BUTTON, 0, state, 0, w->palette().color(QPalette::Button));
}

LRESULT CButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case BM_GETCHECK:
        return GetCheck();
    case BM_SETCHECK:
        SetCheck(static_cast<int>(wParam));
        return 0;
    case BM_CLICK:
        Click();
        return 0;
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

void CButton::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    if (auto* g = qobject_cast<QGroupBox*>(GetPeer()))
        g->setTitle(vx::ToQString(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(GetPeer()))
        b->setText(vx::ToQString(text));
    vx::FitTextFont(GetPeer());
}

CString CButton::DoGetText() const { return CControlWnd::DoGetText(); }

// ---- CStatic ------------------------------------------------------------------------

namespace {
QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
} // namespace

// Asks the parent for its colours (WM_CTLCOLORSTATIC) each time it paints.
class VxLabel : public QLabel {
public:
    VxLabel(CStatic* owner, QWidget* parent) : QLabel(parent), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent* e) override
    {
        CWnd* parent = m_owner->GetParent();
        if (!parent || !pixmap().isNull()) {
            QLabel::paintEvent(e);
            return;
        }
        QImage scratch(1, 1, QImage::Format_RGB32);
        CDC dc;
        dc.AttachImage(&scratch);
        const COLORREF defaultText = dc.GetTextColor();
        const LRESULT r = parent->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc),
                                              reinterpret_cast<LPARAM>(m_owner));
        const COLORREF text = dc.GetTextColor();
        if (!r && text == defaultText) {
            QLabel::paintEvent(e);
            return;
        }
        QPainter p(this);
        if (auto* brush = reinterpret_cast<CBrush*>(r))
            p.fillRect(rect(), ToQColor(brush->Color()));
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, ToQColor(text));
        const QRect area = contentsRect();
        if (dc.GetBkMode() == OPAQUE && r) {
            const QRect used = p.fontMetrics().boundingRect(area, static_cast<int>(alignment()) | Qt::TextWordWrap, this->text());
            p.fillRect(used, ToQColor(dc.GetBkColor()));
        }
        style()->drawItemText(&p, area, static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0), pal,
                              isEnabled(), this->text(), QPalette::WindowText);
    }

private:
    CStatic* m_owner;
};

QWidget* CStatic::CreatePeer(QWidget* qtParent)
{
    const DWORD type = GetStyle() & SS_TYPEMASK;
    if (type == SS_ETCHEDFRAME || type == SS_BLACKRECT) {
        auto* f = new QFrame(qtParent);
        if (type == SS_ETCHEDFRAME) {
            f->setFrameStyle(QFrame::Box | QFrame::Sunken);
        } else {
            f->setAutoFillBackground(true);
            QPalette pal = f->palette();
            pal.setColor(QPalette::Window, Qt::black);
            f->setPalette(pal);
        }
        return f;
    }
    auto* l = new VxLabel(this, qtParent);
    l->setTextFormat(Qt::PlainText);
    if (type == SS_BITMAP) {
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    }
    l->setWordWrap(true);
    l->setAlignment((type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft)
                    | Qt::AlignTop);
    if (GetStyle() & SS_SUNKEN)
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return l;
}

void CStatic::SetImage(const QImage& image)
{
    if (auto* l = qobject_cast<QLabel*>(GetPeer()))
        l->setPixmap(QPixmap::fromImage(image));
}

void CStatic::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    if (auto* l = qobject_cast<QLabel*>(GetPeer()); l && (GetStyle() & SS_TYPEMASK) != SS_BITMAP)
        l->setText(StripMnemonic(vx::ToQString(text)));
    vx::FitTextFont(GetPeer());
}

CString CStatic::DoGetText() const { return CControlWnd::DoGetText(); }

namespace vx {

namespace {
constexpr const char* kMinFontProperty = "vxMinFontPixels";
constexpr const char* kFontProperty = "vxFontPixels";
} // namespace

void AllowSmallerFont(QWidget* control, int minimumPixels)
{
    if (!control)
        return;
    control->setProperty(kFontProperty, control->font().pixelSize());
    control->setProperty(kMinFontProperty, minimumPixels);
    FitTextFont(control);
}

void FitTextFont(QWidget* control)
{
    if (!control || !control->property(kMinFontProperty).isValid())
        return;
    const int smallest = control->property(kMinFontProperty).toInt();
    int size = control->property(kFontProperty).toInt();
    QString text;
    int room = control->contentsRect().width();
    if (auto* label = qobject_cast<QLabel*>(control)) {
        text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        text = StripMnemonic(button->text());
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = text;
        const QStyle::SubElement contents = qobject_cast<QCheckBox*>(button)      ? QStyle::SE_CheckBoxContents
                                            : qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                                  : QStyle::SE_PushButtonContents;
        room = button->style()->subElementRect(contents, &opt, button).width();
    }
    QFont f = control->font();
    for (; size > smallest; --size) {
        f.setPixelSize(size);
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, QFontMetrics(f).horizontalAdvance(line));
        if (widest <= room)
            break;
    }
    f.setPixelSize(std::max(size, smallest));
    if (f != control->font())
        control->setFont(f);
}

} // namespace vx

// ---- CEdit ------------------------------------------------------------------------------

// Single-line: the validator sees every change before it is shown; code's
// own texts pass untouched, the user's insertions are cut to the limit.
class VxLimitValidator : public QValidator {
public:
    VxLimitValidator(CEdit* owner, QObject* parent) : QValidator(parent), m_owner(owner) {}

    State validate(QString& input, int& pos) const override
    {
        if (m_owner->m_settingFromCode)
            return Acceptable;
        const QString& old = m_owner->m_lastText;
        int p = 0;
        const int maxP = static_cast<int>(std::min(old.size(), input.size()));
        while (p < maxP && old[p] == input[p])
            ++p;
        int q = 0;
        while (q < maxP - p && old[old.size() - 1 - q] == input[input.size() - 1 - q])
            ++q;
        const int inserted = static_cast<int>(input.size()) - p - q;
        const int removed = static_cast<int>(old.size()) - p - q;
        if (inserted <= 0)
            return Acceptable;
        QString ins = input.mid(p, inserted);
        const DWORD style = m_owner->GetStyle();
        if (style & ES_NUMBER) {
            for (QChar c : ins)
                if (!c.isDigit())
                    return Invalid;
        }
        if (style & ES_UPPERCASE)
            ins = ins.toUpper();
        const int allowed = m_owner->fitInsertion(static_cast<int>(old.size()), removed, inserted);
        if (allowed <= 0 && removed == 0)
            return Invalid;
        input = input.left(p) + ins.left(allowed) + input.right(q);
        pos = p + allowed;
        return Acceptable;
    }

private:
    CEdit* m_owner;
};

class VxLineEdit : public QLineEdit {
public:
    VxLineEdit(CEdit* owner, QWidget* parent) : QLineEdit(parent)
    {
        setValidator(new VxLimitValidator(owner, this));
    }
};

// Multi-line: typing and pasting are cut before they reach the document.
class VxTextEdit : public QPlainTextEdit {
public:
    VxTextEdit(CEdit* owner, QWidget* parent) : QPlainTextEdit(parent), m_owner(owner) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!isReadOnly()) {
            QString text = e->text();
            const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
            const bool printable = !text.isEmpty() && text[0].isPrint()
                                   && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (enter || printable) {
                const int ins = enter ? 2 : static_cast<int>(text.size());
                if (m_owner->fitInsertion(WinLength(toPlainText()), selectedWinLength(), ins) < ins)
                    return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

    void insertFromMimeData(const QMimeData* source) override
    {
        if (!source || !source->hasText())
            return;
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const int insWin = WinLength(text);
        const int allowed = m_owner->fitInsertion(WinLength(toPlainText()), selectedWinLength(), insWin);
        if (allowed < insWin)
            text = text.left(WinToQtPos(text, allowed));
        if (!text.isEmpty())
            insertPlainText(text);
    }

private:
    int selectedWinLength() const
    {
        const QString sel = textCursor().selectedText();
        return static_cast<int>(sel.size()) + static_cast<int>(sel.count(QChar(0x2029)));
    }
    CEdit* m_owner;
};

CEdit::CEdit() = default;

CEdit::~CEdit()
{
    if (auto* e = qobject_cast<QLineEdit*>(GetPeer()))
        e->setValidator(nullptr);
}

QWidget* CEdit::CreatePeer(QWidget* qtParent)
{
    m_creating = true;
    const DWORD style = GetStyle();
    if (style & ES_MULTILINE) {
        auto* t = new VxTextEdit(this, qtParent);
        t->setReadOnly(style & ES_READONLY);
        t->setLineWrapMode((style & ES_AUTOHSCROLL) || (style & WS_HSCROLL) ? QPlainTextEdit::NoWrap
                                                                            : QPlainTextEdit::WidgetWidth);
        t->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        t->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        if (!(style & WS_BORDER) && !(GetExStyle() & WS_EX_CLIENTEDGE))
            t->setFrameStyle(QFrame::NoFrame);
        t->setTabChangesFocus(true);
        QObject::connect(t, &QPlainTextEdit::textChanged, Ctx(), [this] { userChanged(); });
        return t;
    }
    auto* e = new VxLineEdit(this, qtParent);
    e->setReadOnly(style & ES_READONLY);
    if (style & ES_PASSWORD)
        e->setEchoMode(QLineEdit::Password);
    e->setAlignment((style & ES_CENTER) ? Qt::AlignHCenter : (style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft);
    e->setFrame((style & WS_BORDER) || (GetExStyle() & WS_EX_CLIENTEDGE));
    QObject::connect(e, &QLineEdit::textChanged, Ctx(), [this](const QString&) { userChanged(); });
    return e;
}

QString CEdit::qtText() const
{
    if (auto* e = qobject_cast<QLineEdit*>(GetPeer()))
        return e->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        return t->toPlainText();
    return m_lastText;
}

int CEdit::fitInsertion(int currentLength, int removed, int inserted)
{
    const long long room = static_cast<long long>(m_limit) - (currentLength - removed);
    const int allowed = static_cast<int>(std::clamp<long long>(room, 0, inserted));
    if (allowed < inserted)
        NotifyCommand(EN_MAXTEXT);
    return allowed;
}

void CEdit::userChanged()
{
    if (m_settingFromCode)
        return;
    const QString now = qtText();
    if (now == m_lastText)
        return;
    m_lastText = now;
    m_modified = true;
    NotifyCommand(EN_CHANGE);
}

void CEdit::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    {
        CodeScope scope(m_settingFromCode);
        const QString q = IsMultiLine() ? FromWinText(text) : vx::ToQString(text);
        if (auto* e = qobject_cast<QLineEdit*>(GetPeer())) {
            e->setText(q);
            e->setCursorPosition(0);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
            t->setPlainText(q);
        }
        m_lastText = qtText();
        m_modified = false;
    }
    // Text set by code notifies like the user's typing: pages copy values
    // back from their edits on EN_CHANGE. The initial text does not.
    if (GetPeer() && !m_creating)
        NotifyCommand(EN_CHANGE);
}

CString CEdit::DoGetText() const
{
    if (!GetPeer())
        return CControlWnd::DoGetText();
    return IsMultiLine() ? ToWinText(qtText()) : vx::FromQString(qtText());
}

void CEdit::LimitText(int maxChars)
{
    m_limit = maxChars <= 0 ? 0x7FFFFFFEu : static_cast<UINT>(maxChars);
}

void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    const QString text = qtText();
    const int len = static_cast<int>(text.size());
    int s = start < 0 ? -1 : (IsMultiLine() ? WinToQtPos(text, start) : std::min(start, len));
    int e = end < 0 ? len : (IsMultiLine() ? WinToQtPos(text, end) : std::min(end, len));
    if (s < 0)
        s = e = (start < 0 && end < 0) ? len : e;   // -1: no selection, caret kept at the end
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
        le->setSelection(s, e - s);
        if (s == e)
            le->setCursorPosition(s);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        QTextCursor c = t->textCursor();
        c.setPosition(s);
        c.setPosition(e, QTextCursor::KeepAnchor);
        t->setTextCursor(c);
        if (!noScroll)
            t->ensureCursorVisible();
    }
}

void CEdit::SetSel(DWORD selection, BOOL noScroll)
{
    SetSel(static_cast<short>(LOWORD(selection)), static_cast<short>(HIWORD(selection)), noScroll);
}

void CEdit::GetSel(int& start, int& end) const
{
    start = end = 0;
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
        if (le->hasSelectedText()) {
            start = le->selectionStart();
            end = start + static_cast<int>(le->selectedText().size());
        } else {
            start = end = le->cursorPosition();
        }
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
        const QTextCursor c = t->textCursor();
        const QString text = t->toPlainText();
        start = QtToWinPos(text, c.selectionStart());
        end = QtToWinPos(text, c.selectionEnd());
    }
}

DWORD CEdit::GetSel() const
{
    int s = 0, e = 0;
    GetSel(s, e);
    return static_cast<DWORD>((s & 0xFFFF) | ((e & 0xFFFF) << 16));
}

void CEdit::ReplaceSel(const char* text, BOOL)
{
    // Code inserting text is not the user typing: no limit, but EN_CHANGE
    // and the modified state like any edit.
    const QString q = IsMultiLine() ? FromWinText(CString(text)) : vx::ToQString(CString(text));
    {
        CodeScope scope(m_settingFromCode);
        if (auto* le = qobject_cast<QLineEdit*>(GetPeer())) {
            le->insert(q);
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer())) {
            QTextCursor c = t->textCursor();
            c.insertText(q);
            t->setTextCursor(c);
        }
    }
    const QString now = qtText();
    if (now != m_lastText) {
        m_lastText = now;
        NotifyCommand(EN_CHANGE);
    }
}

BOOL CEdit::SetReadOnly(BOOL readOnly)
{
    ModifyStyle(readOnly ? 0 : ES_READONLY, readOnly ? ES_READONLY : 0);
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->setReadOnly(readOnly);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->setReadOnly(readOnly);
    return TRUE;
}

int CEdit::GetLineCount() const
{
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        return std::max(1, t->document()->blockCount());
    return 1;
}

void CEdit::ScrollCaret()
{
    if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->ensureCursorVisible();
}

void CEdit::Copy()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->copy();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->copy();
}

void CEdit::Cut()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->cut();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->cut();
}

void CEdit::Paste()
{
    if (auto* le = qobject_cast<QLineEdit*>(GetPeer()))
        le->paste();
    else if (auto* t = qobject_cast<QPlainTextEdit*>(GetPeer()))
        t->paste();
}

void CEdit::Clear() { ReplaceSel(""); }

LRESULT CEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        m_creating = false;
        return CControlWnd::WindowProc(msg, wParam, lParam);
    case EM_LIMITTEXT:
        LimitText(static_cast<int>(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(GetLimitText());
    case EM_GETMODIFY:
        return GetModify();
    case EM_SETMODIFY:
        SetModify(static_cast<BOOL>(wParam));
        return 0;
    case EM_SETSEL:
        SetSel(static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam));
        return 0;
    case EM_GETSEL: {
        int s = 0, e = 0;
        GetSel(s, e);
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(e);
        return static_cast<LRESULT>(GetSel());
    }
    case EM_REPLACESEL:
        ReplaceSel(reinterpret_cast<const char*>(lParam), static_cast<BOOL>(wParam));
        return 0;
    case EM_SCROLLCARET:
        ScrollCaret();
        return TRUE;
    case EM_GETLINECOUNT:
        return GetLineCount();
    case EM_SETREADONLY:
        return SetReadOnly(static_cast<BOOL>(wParam));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CRichEditCtrl ------------------------------------------------------------------

CRichEditCtrl::CRichEditCtrl() { LimitText(0); }

void CRichEditCtrl::SetMonospacedFont(QWidget* w)
{
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPixelSize(12);
    w->setFont(mono);
}

QWidget* CRichEditCtrl::CreatePeer(QWidget* qtParent)
{
    QWidget* w = CEdit::CreatePeer(qtParent);
    SetMonospacedFont(w);
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        t->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    return w;
}

void CRichEditCtrl::AppendText(const char* text)
{
    SetSel(-1, -1);
    ReplaceSel(text);
    ScrollCaret();
}

// ---- CComboBox ---------------------------------------------------------------------

class VxOwnerDrawDelegate : public QStyledItemDelegate {
public:
    VxOwnerDrawDelegate(CComboBox* owner, QObject* parent) : QStyledItemDelegate(parent), m_owner(owner) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        UINT state = 0;
        if (opt.state & QStyle::State_Selected)
            state |= ODS_SELECTED;
        if (!(opt.state & QStyle::State_Enabled))
            state |= ODS_DISABLED;
        m_owner->drawItem(p, opt.rect, index.row(), state);
    }

    QSize sizeHint(const QStyleOptionViewItem& opt, const QModelIndex& index) const override
    {
        m_owner->measure();
        QSize s = QStyledItemDelegate::sizeHint(opt, index);
        s.setHeight(m_owner->m_itemHeight);
        return s;
    }

private:
    CComboBox* m_owner;
};

class VxComboBox : public QComboBox {
public:
    VxComboBox(CComboBox* owner, QWidget* parent) : QComboBox(parent), m_owner(owner) {}

    void showPopup() override
    {
        m_owner->NotifyCommand(CBN_DROPDOWN);
        if (m_owner->m_dropHeight > 0) {
            const int item = std::max(1, m_owner->m_itemHeight > 0 ? m_owner->m_itemHeight : fontMetrics().height() + 2);
            setMaxVisibleItems(std::max(1, (m_owner->m_dropHeight - height()) / item));
        }
        QComboBox::showPopup();
        m_dropped = true;
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (m_dropped) {
            m_dropped = false;
            m_owner->NotifyCommand(CBN_CLOSEUP);
        }
    }
    bool m_dropped = false;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!m_owner->isOwnerDraw() || isEditable()) {
            QComboBox::paintEvent(e);
            return;
        }
        QStylePainter p(this);
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        opt.currentText.clear();
        opt.currentIcon = QIcon();
        p.drawComplexControl(QStyle::CC_ComboBox, opt);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
        UINT state = ODS_COMBOBOXEDIT;
        if (hasFocus())
            state |= ODS_FOCUS | ODS_SELECTED;
        if (!isEnabled())
            state |= ODS_DISABLED;
        m_owner->drawItem(&p, field, currentIndex(), state);
    }

private:
    CComboBox* m_owner;
};

CComboBox::CComboBox() = default;
CComboBox::~CComboBox() = default;

QWidget* CComboBox::CreatePeer(QWidget* qtParent)
{
    auto* c = new VxComboBox(this, qtParent);
    const DWORD type = GetStyle() & CBS_TYPEMASK;
    c->setEditable(type == CBS_DROPDOWN || type == CBS_SIMPLE);
    c->setInsertPolicy(QComboBox::NoInsert);
    if (isOwnerDraw())
        c->setItemDelegate(new VxOwnerDrawDelegate(this, c));
    QObject::connect(c, &QComboBox::currentIndexChanged, Ctx(), [this](int) {
        if (!m_settingFromCode)
            NotifyCommand(CBN_SELCHANGE);
    });
    QObject::connect(c, &QComboBox::activated, Ctx(), [this](int) {
        if (!m_settingFromCode)
            NotifyCommand(CBN_SELENDOK);
    });
    if (c->isEditable())
        QObject::connect(c, &QComboBox::editTextChanged, Ctx(), [this](const QString&) {
            if (!m_settingFromCode)
                NotifyCommand(CBN_EDITCHANGE);
        });
    return c;
}

namespace {
QComboBox* Combo(const CWnd* w) { return qobject_cast<QComboBox*>(w->GetPeer()); }
} // namespace

int CComboBox::AddString(const char* text)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    int index = c->count();
    if (GetStyle() & CBS_SORT) {
        const CString t(text);
        index = 0;
        while (index < c->count() && GetLBText(index).CompareNoCase(t) <= 0)
            ++index;
    }
    return InsertString(index, text);
}

int CComboBox::InsertString(int index, const char* text)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    if (index < 0 || index > c->count())
        index = c->count();
    CodeScope scope(m_settingFromCode);
    const int cur = c->currentIndex();
    const QString editText = c->isEditable() ? c->currentText() : QString();
    c->insertItem(index, vx::ToQString(CString(text)), QVariant::fromValue<qulonglong>(0));
    c->setItemData(index, QVariant::fromValue<qulonglong>(0), kItemDataRole);
    // Adding items never selects one.
    if (cur < 0) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->setEditText(editText);
    }
    return index;
}

int CComboBox::DeleteString(UINT index)
{
    QComboBox* c = Combo(this);
    if (!c || static_cast<int>(index) >= c->count())
        return CB_ERR;
    CodeScope scope(m_settingFromCode);
    const bool wasCurrent = c->currentIndex() == static_cast<int>(index);
    c->removeItem(static_cast<int>(index));
    if (wasCurrent)
        c->setCurrentIndex(-1);
    return c->count();
}

void CComboBox::ResetContent()
{
    if (QComboBox* c = Combo(this)) {
        CodeScope scope(m_settingFromCode);
        c->clear();
        if (c->isEditable())
            c->setEditText(QString());
    }
}

int CComboBox::GetCount() const
{
    QComboBox* c = Combo(this);
    return c ? c->count() : 0;
}

int CComboBox::GetCurSel() const
{
    QComboBox* c = Combo(this);
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index)
{
    QComboBox* c = Combo(this);
    if (!c)
        return CB_ERR;
    CodeScope scope(m_settingFromCode);
    if (index < 0 || index >= c->count()) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->setEditText(QString());
        return CB_ERR;
    }
    c->setCurrentIndex(index);
    return index;
}

int CComboBox::GetLBText(int index, CString& text) const
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count()) {
        text.Empty();
        return CB_ERR;
    }
    text = vx::FromQString(c->itemText(index));
    return text.GetLength();
}

int CComboBox::GetLBText(int index, char* buffer) const
{
    CString s;
    const int n = GetLBText(index, s);
    if (n >= 0 && buffer) {
        std::copy(s.str().begin(), s.str().end(), buffer);
        buffer[n] = '\0';
    }
    return n;
}

CString CComboBox::GetLBText(int index) const
{
    CString s;
    GetLBText(index, s);
    return s;
}

int CComboBox::GetLBTextLen(int index) const
{
    CString s;
    return GetLBText(index, s);
}

int CComboBox::SetItemData(int index, UINT_PTR data)
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count())
        return CB_ERR;
    c->setItemData(index, QVariant::fromValue<qulonglong>(data), kItemDataRole);
    return 0;
}

UINT_PTR CComboBox::GetItemData(int index) const
{
    QComboBox* c = Combo(this);
    if (!c || index < 0 || index >= c->count())
        return static_cast<UINT_PTR>(CB_ERR);
    return static_cast<UINT_PTR>(c->itemData(index, kItemDataRole).toULongLong());
}

int CComboBox::FindStringExact(int startAfter, const char* text) const
{
    const int n = GetCount();
    const CString t(text);
    for (int k = 0; k < n; ++k) {
        const int i = (startAfter + 1 + k) % n;
        if (GetLBText(i).CompareNoCase(t) == 0)
            return i;
    }
    return CB_ERR;
}

void CComboBox::ShowDropDown(BOOL show)
{
    if (QComboBox* c = Combo(this)) {
        if (show)
            c->showPopup();
        else
            c->hidePopup();
    }
}

BOOL CComboBox::GetDroppedState() const
{
    auto* c = dynamic_cast<VxComboBox*>(GetPeer());
    return c && c->m_dropped;
}

int CComboBox::GetItemHeight(int) const
{
    const_cast<CComboBox*>(this)->measure();
    return m_itemHeight;
}

void CComboBox::measure()
{
    if (m_itemHeight > 0)
        return;
    QComboBox* c = Combo(this);
    m_itemHeight = c ? c->fontMetrics().height() + 2 : 15;
    if (!isOwnerDraw())
        return;
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_COMBOBOX;
    mis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    mis.itemID = 0;
    mis.itemHeight = static_cast<UINT>(m_itemHeight);
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    if (mis.itemHeight > 0)
        m_itemHeight = static_cast<int>(mis.itemHeight);
}

void CComboBox::drawItem(QPainter* p, const QRect& r, int index, UINT state)
{
    measure();
    const QColor bg = (state & ODS_SELECTED) && !(state & ODS_COMBOBOXEDIT)
                          ? QColor(0, 120, 215)
                          : QColor(Qt::white);
    DrawOwnerItem(p, r, this, ODT_COMBOBOX, index, state, index >= 0 ? GetItemData(index) : 0, bg);
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

void CComboBox::DoSetText(const CString& text)
{
    CControlWnd::DoSetText(text);
    if (QComboBox* c = Combo(this); c && c->isEditable()) {
        CodeScope scope(m_settingFromCode);
        c->setEditText(vx::ToQString(text));
    }
}

CString CComboBox::DoGetText() const
{
    QComboBox* c = Combo(this);
    if (!c)
        return CControlWnd::DoGetText();
    return vx::FromQString(c->currentText());
}

LRESULT CComboBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CB_ADDSTRING:
        return AddString(reinterpret_cast<const char*>(lParam));
    case CB_INSERTSTRING:
        return InsertString(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case CB_DELETESTRING:
        return DeleteString(static_cast<UINT>(wParam));
    case CB_RESETCONTENT:
        ResetContent();
        return 0;
    case CB_GETCOUNT:
        return GetCount();
    case CB_GETCURSEL:
        return GetCurSel();
    case CB_SETCURSEL:
        return SetCurSel(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case CB_GETLBTEXTLEN:
        return GetLBTextLen(static_cast<int>(wParam));
    case CB_GETLBTEXT:
        return GetLBText(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case CB_SETITEMDATA:
        return SetItemData(static_cast<int>(wParam), static_cast<UINT_PTR>(lParam));
    case CB_GETITEMDATA:
        return static_cast<LRESULT>(GetItemData(static_cast<int>(wParam)));
    case CB_FINDSTRINGEXACT:
        return FindStringExact(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case CB_SHOWDROPDOWN:
        ShowDropDown(static_cast<BOOL>(wParam));
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return GetDroppedState();
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CListBox --------------------------------------------------------------------------

namespace {
QListWidget* List(const CWnd* w) { return qobject_cast<QListWidget*>(w->GetPeer()); }
} // namespace

QWidget* CListBox::CreatePeer(QWidget* qtParent)
{
    auto* l = new QListWidget(qtParent);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(l, &QListWidget::currentRowChanged, Ctx(), [this](int) {
        if (!m_settingFromCode && (GetStyle() & LBS_NOTIFY))
            NotifyCommand(LBN_SELCHANGE);
    });
    QObject::connect(l, &QListWidget::itemDoubleClicked, Ctx(), [this](QListWidgetItem*) {
        if (GetStyle() & LBS_NOTIFY)
            NotifyCommand(LBN_DBLCLK);
    });
    return l;
}

int CListBox::AddString(const char* text)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    int index = l->count();
    if (GetStyle() & LBS_SORT) {
        const CString t(text);
        index = 0;
        CString s;
        while (index < l->count() && (GetText(index, s), s.CompareNoCase(t) <= 0))
            ++index;
    }
    return InsertString(index, text);
}

int CListBox::InsertString(int index, const char* text)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    if (index < 0 || index > l->count())
        index = l->count();
    CodeScope scope(m_settingFromCode);
    auto* item = new QListWidgetItem(vx::ToQString(CString(text)));
    item->setData(kItemDataRole, QVariant::fromValue<qulonglong>(0));
    l->insertItem(index, item);
    return index;
}

int CListBox::DeleteString(UINT index)
{
    QListWidget* l = List(this);
    if (!l || static_cast<int>(index) >= l->count())
        return LB_ERR;
    CodeScope scope(m_settingFromCode);
    delete l->takeItem(static_cast<int>(index));
    return l->count();
}

void CListBox::ResetContent()
{
    if (QListWidget* l = List(this)) {
        CodeScope scope(m_settingFromCode);
        l->clear();
    }
}

int CListBox::GetCount() const
{
    QListWidget* l = List(this);
    return l ? l->count() : 0;
}

int CListBox::GetCurSel() const
{
    QListWidget* l = List(this);
    return l && l->currentItem() && l->currentItem()->isSelected() ? l->currentRow() : LB_ERR;
}

int CListBox::SetCurSel(int index)
{
    QListWidget* l = List(this);
    if (!l)
        return LB_ERR;
    CodeScope scope(m_settingFromCode);
    if (index < 0 || index >= l->count()) {
        l->setCurrentRow(-1);
        l->clearSelection();
        return index < 0 ? 0 : LB_ERR;
    }
    l->setCurrentRow(index);
    return index;
}

int CListBox::GetText(int index, CString& text) const
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    text = vx::FromQString(l->item(index)->text());
    return text.GetLength();
}

int CListBox::SetItemData(int index, UINT_PTR data)
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return LB_ERR;
    l->item(index)->setData(kItemDataRole, QVariant::fromValue<qulonglong>(data));
    return 0;
}

UINT_PTR CListBox::GetItemData(int index) const
{
    QListWidget* l = List(this);
    if (!l || index < 0 || index >= l->count())
        return static_cast<UINT_PTR>(LB_ERR);
    return static_cast<UINT_PTR>(l->item(index)->data(kItemDataRole).toULongLong());
}

LRESULT CListBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case LB_ADDSTRING:
        return AddString(reinterpret_cast<const char*>(lParam));
    case LB_INSERTSTRING:
        return InsertString(static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const char*>(lParam));
    case LB_DELETESTRING:
        return DeleteString(static_cast<UINT>(wParam));
    case LB_RESETCONTENT:
        ResetContent();
        return 0;
    case LB_GETCOUNT:
        return GetCount();
    case LB_GETCURSEL:
        return GetCurSel();
    case LB_SETCURSEL:
        return SetCurSel(static_cast<int>(static_cast<INT_PTR>(wParam)));
    case LB_SETITEMDATA:
        return SetItemData(static_cast<int>(wParam), static_cast<UINT_PTR>(lParam));
    case LB_GETITEMDATA:
        return static_cast<LRESULT>(GetItemData(static_cast<int>(wParam)));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CSliderCtrl -------------------------------------------------------------------------

class VxSlider : public QSlider {
public:
    using QSlider::QSlider;
    QStyleOptionSlider Option() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        return opt;
    }
    bool m_dragMoved = false;
};

namespace {
VxSlider* Slider(const CWnd* w) { return dynamic_cast<VxSlider*>(w->GetPeer()); }
} // namespace

QWidget* CSliderCtrl::CreatePeer(QWidget* qtParent)
{
    const bool vertical = (GetStyle() & TBS_VERT) != 0;
    auto* s = new VxSlider(vertical ? Qt::Vertical : Qt::Horizontal, qtParent);
    s->setRange(0, 100);
    s->setPageStep(20);   // a fifth of the default range, as trackbars page
    s->setSingleStep(1);
    if (vertical)
        s->setInvertedAppearance(true);   // the minimum is at the top
    const DWORD st = GetStyle();
    if (st & TBS_NOTICKS)
        s->setTickPosition(QSlider::NoTicks);
    else if (st & TBS_BOTH)
        s->setTickPosition(QSlider::TicksBothSides);
    else if (st & TBS_AUTOTICKS)
        s->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    QObject::connect(s, &QSlider::sliderPressed, Ctx(), [s] { s->m_dragMoved = false; });
    QObject::connect(s, &QSlider::sliderMoved, Ctx(), [this, s](int) {
        if (m_settingFromCode)
            return;
        s->m_dragMoved = true;
        scrollNotify(TB_THUMBTRACK);
    });
    QObject::connect(s, &QSlider::sliderReleased, Ctx(), [this, s] {
        if (s->m_dragMoved)
            scrollNotify(TB_THUMBPOSITION);
        s->m_dragMoved = false;
        scrollNotify(TB_ENDTRACK);
    });
    QObject::connect(s, &QSlider::actionTriggered, Ctx(), [this](int action) {
        if (m_settingFromCode)
            return;
        UINT code = 0;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = TB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = TB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = TB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = TB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = TB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = TB_BOTTOM; break;
        default: return;
        }
        scrollNotify(code);
        scrollNotify(TB_ENDTRACK);
    });
    return s;
}

void CSliderCtrl::scrollNotify(UINT code)
{
    CWnd* parent = GetParent();
    if (!parent)
        return;
    const UINT pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<UINT>(GetPos()) : 0;
    parent->SendMessage((GetStyle() & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL,
                        (static_cast<WPARAM>(pos & 0xFFFF) << 16) | code, reinterpret_cast<LPARAM>(this));
}

void CSliderCtrl::SetRange(int minPos, int maxPos, BOOL)
{
    if (VxSlider* s = Slider(this)) {
        CodeScope scope(m_settingFromCode);
        s->setRange(minPos, std::max(minPos, maxPos));
    }
}

void CSliderCtrl::SetRangeMin(int minPos, BOOL redraw) { SetRange(minPos, GetRangeMax(), redraw); }
void CSliderCtrl::SetRangeMax(int maxPos, BOOL redraw) { SetRange(GetRangeMin(), maxPos, redraw); }

void CSliderCtrl::GetRange(int& minPos, int& maxPos) const
{
    minPos = GetRangeMin();
    maxPos = GetRangeMax();
}

int CSliderCtrl::GetRangeMin() const
{
    VxSlider* s = Slider(this);
    return s ? s->minimum() : 0;
}

int CSliderCtrl::GetRangeMax() const
{
    VxSlider* s = Slider(this);
    return s ? s->maximum() : 0;
}

int CSliderCtrl::GetPos() const
{
    // sliderPosition is already the new place while a move is reported.
    VxSlider* s = Slider(this);
    return s ? s->sliderPosition() : 0;
}

void CSliderCtrl::SetPos(int pos)
{
    if (VxSlider* s = Slider(this)) {
        CodeScope scope(m_settingFromCode);
        s->setValue(pos);
    }
}

void CSliderCtrl::SetLineSize(int size)
{
    if (VxSlider* s = Slider(this))
        s->setSingleStep(size);
}

void CSliderCtrl::GetChannelRect(RECT* rect) const
{
    VxSlider* s = Slider(this);
    if (!rect)
        return;
    if (!s) {
        *rect = CRect();
        return;
    }
    const QStyleOptionSlider opt = s->Option();
    const QRect groove = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, s);
    const QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
    CRect r(groove.left(), groove.top(), groove.right() + 1, groove.bottom() + 1);
    if (s->orientation() == Qt::Horizontal) {
        r.left += handle.width() / 2;
        r.right -= handle.width() - handle.width() / 2;
    } else {
        r.top += handle.height() / 2;
        r.bottom -= handle.height() - handle.height() / 2;
    }
    *rect = r;
}

LRESULT CSliderCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case TBM_GETPOS:
        return GetPos();
    case TBM_SETPOS:
        SetPos(static_cast<int>(lParam));
        return 0;
    case TBM_GETRANGEMIN:
        return GetRangeMin();
    case TBM_GETRANGEMAX:
        return GetRangeMax();
    case TBM_SETRANGE:
        SetRange(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                 static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))));
        return 0;
    case TBM_SETRANGEMIN:
        SetRangeMin(static_cast<int>(lParam));
        return 0;
    case TBM_SETRANGEMAX:
        SetRangeMax(static_cast<int>(lParam));
        return 0;
    case TBM_GETCHANNELRECT:
        GetChannelRect(reinterpret_cast<RECT*>(lParam));
        return 0;
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CSpinButtonCtrl ----------------------------------------------------------------------

QWidget* CSpinButtonCtrl::CreatePeer(QWidget* qtParent)
{
    auto* w = new QWidget(qtParent);
    const bool horz = (GetStyle() & UDS_HORZ) != 0;
    auto* up = new QToolButton(w);
    auto* down = new QToolButton(w);
    up->setArrowType(horz ? Qt::RightArrow : Qt::UpArrow);
    down->setArrowType(horz ? Qt::LeftArrow : Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setObjectName(b == up ? QStringLiteral("up") : QStringLiteral("down"));
    }
    QObject::connect(up, &QToolButton::clicked, Ctx(), [this] { Step(+1); });
    QObject::connect(down, &QToolButton::clicked, Ctx(), [this] { Step(-1); });
    // The two halves follow the control's size.
    struct Layout : QObject {
        QToolButton *up, *down;
        bool horz;
        Layout(QWidget* w, QToolButton* u, QToolButton* d, bool h) : QObject(w), up(u), down(d), horz(h)
        {
            w->installEventFilter(this);
        }
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Resize || e->type() == QEvent::Show) {
                auto* w = static_cast<QWidget*>(o);
                const int W = w->width(), H = w->height();
                if (horz) {
                    down->setGeometry(0, 0, W / 2, H);
                    up->setGeometry(W / 2, 0, W - W / 2, H);
                } else {
                    up->setGeometry(0, 0, W, H / 2);
                    down->setGeometry(0, H / 2, W, H - H / 2);
                }
            }
            return false;
        }
    };
    new Layout(w, up, down, horz);
    return w;
}

void CSpinButtonCtrl::SetRange32(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = std::clamp(m_pos, std::min(lower, upper), std::max(lower, upper));
}

int CSpinButtonCtrl::SetPos32(int pos)
{
    const int old = GetPos32();
    m_pos = std::clamp(pos, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
    writeBuddy();
    return old;
}

int CSpinButtonCtrl::GetPos32(BOOL* error) const
{
    if (error)
        *error = FALSE;
    CWnd* buddy = CWnd::IsLive(m_buddy, m_buddySerial) ? m_buddy : nullptr;
    if (!buddy || !(GetStyle() & UDS_SETBUDDYINT))
        return m_pos;
    const CString text = buddy->GetWindowTextString();
    const char* s = text.GetString();
    while (*s == ' ')
        ++s;
    const char* digits = (*s == '-' || *s == '+') ? s + 1 : s;
    if (*digits < '0' || *digits > '9') {
        if (error)
            *error = TRUE;
        return m_pos;
    }
    const long long v = vx::StrToInt64(s);
    const long long lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    if (v < lo || v > hi) {
        if (error)
            *error = TRUE;
        return static_cast<int>(std::clamp(v, lo, hi));
    }
    return static_cast<int>(v);
}

namespace {
// Up and down keys in the buddy step the up-down (UDS_ARROWKEYS).
class VxBuddyKeys : public QObject {
public:
    VxBuddyKeys(CSpinButtonCtrl* spin, QObject* parent) : QObject(parent), m_spin(spin), m_serial(spin->GetSerial()) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !CWnd::IsLive(m_spin, m_serial) || m_spin->GetBuddy() != buddy)
            return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key != Qt::Key_Up && key != Qt::Key_Down)
            return false;
        m_spin->Step(key == Qt::Key_Up ? +1 : -1);
        return true;
    }
    CWnd* buddy = nullptr;

private:
    CSpinButtonCtrl* m_spin;
    std::uint64_t m_serial;
};
} // namespace

void CSpinButtonCtrl::attachBuddy(CWnd* buddy)
{
    m_buddy = buddy;
    m_buddySerial = buddy ? buddy->GetSerial() : 0;
    if (buddy && buddy->GetPeer() && GetPeer() && (GetStyle() & UDS_ARROWKEYS)) {
        auto* keys = new VxBuddyKeys(this, GetPeer());
        keys->buddy = buddy;
        buddy->GetPeer()->installEventFilter(keys);
    }
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    CWnd* old = m_buddy;
    attachBuddy(buddy);
    if (buddy && (GetStyle() & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) && buddy->GetParent() == GetParent()) {
        // Sits on the buddy's edge; the buddy gives up that width.
        CRect b, me;
        buddy->GetWindowRect(&b);
        GetWindowRect(&me);
        if (CWnd* parent = GetParent()) {
            parent->ScreenToClient(&b);
            parent->ScreenToClient(&me);
        }
        const int w = me.Width();
        if (GetStyle() & UDS_ALIGNRIGHT) {
            buddy->MoveWindow(b.left, b.top, std::max(0, b.Width() - w), b.Height());
            MoveWindow(b.right - w, b.top, w, b.Height());
        } else {
            buddy->MoveWindow(b.left + w, b.top, std::max(0, b.Width() - w), b.Height());
            MoveWindow(b.left, b.top, w, b.Height());
        }
    }
    return old;
}

void CSpinButtonCtrl::writeBuddy()
{
    CWnd* buddy = CWnd::IsLive(m_buddy, m_buddySerial) ? m_buddy : nullptr;
    if (buddy && (GetStyle() & UDS_SETBUDDYINT))
        buddy->SetWindowText(vx::Format("%d", m_pos).c_str());
}

void CSpinButtonCtrl::Step(int direction)
{
    if (!IsWindowEnabled())
        return;
    const int pos = GetPos32();
    const int lo = std::min(m_lower, m_upper), hi = std::max(m_lower, m_upper);
    long long next = static_cast<long long>(pos) + (m_upper >= m_lower ? direction : -direction);
    if (next < lo || next > hi) {
        if (!(GetStyle() & UDS_WRAP))
            return;
        next = next < lo ? hi : lo;
    }
    NMUPDOWN nm;
    nm.iPos = pos;
    nm.iDelta = static_cast<int>(next - pos);
    if (NotifyParent(UDN_DELTAPOS, &nm.hdr) != 0)
        return;
    m_pos = static_cast<int>(std::clamp<long long>(static_cast<long long>(pos) + nm.iDelta, lo, hi));
    writeBuddy();
    if (CWnd* parent = GetParent()) {
        const UINT msg = (GetStyle() & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        parent->SendMessage(msg, (static_cast<WPARAM>(m_pos & 0xFFFF) << 16) | SB_THUMBPOSITION,
                            reinterpret_cast<LPARAM>(this));
        parent->SendMessage(msg, (static_cast<WPARAM>(m_pos & 0xFFFF) << 16) | SB_ENDSCROLL,
                            reinterpret_cast<LPARAM>(this));
    }
}

LRESULT CSpinButtonCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UDM_SETRANGE32:
        SetRange32(static_cast<int>(static_cast<INT_PTR>(wParam)), static_cast<int>(lParam));
        return 0;
    case UDM_GETRANGE32:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = m_lower;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = m_upper;
        return 0;
    case UDM_SETPOS32:
        return SetPos32(static_cast<int>(lParam));
    case UDM_GETPOS32:
        return GetPos32(reinterpret_cast<BOOL*>(lParam));
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(reinterpret_cast<CWnd*>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(GetBuddy());
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CDateTimeCtrl -----------------------------------------------------------------------

QWidget* CDateTimeCtrl::CreatePeer(QWidget* qtParent)
{
    auto* d = new QDateTimeEdit(qtParent);
    const bool timeMode = (GetStyle() & 0xF) == DTS_TIMEFORMAT;
    d->setDisplayFormat(timeMode ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(!timeMode && !(GetStyle() & DTS_UPDOWN));
    d->setDateTime(QDateTime::currentDateTime());
    if (GetStyle() & DTS_RIGHTALIGN)
        d->setAlignment(Qt::AlignRight);
    QObject::connect(d, &QDateTimeEdit::dateTimeChanged, Ctx(), [this](const QDateTime&) {
        if (!m_settingFromCode)
            NotifyParent(DTN_DATETIMECHANGE);
    });
    return d;
}

BOOL CDateTimeCtrl::SetTime(const COleDateTime& time)
{
    auto* d = qobject_cast<QDateTimeEdit*>(GetPeer());
    if (!d || time.GetStatus() != COleDateTime::valid)
        return FALSE;
    CodeScope scope(m_settingFromCode);
    const QDate date(time.GetYear(), time.GetMonth(), time.GetDay());
    const QTime t(time.GetHour(), time.GetMinute(), time.GetSecond());
    d->setDateTime(QDateTime(date, t));
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(COleDateTime& time) const
{
    auto* d = qobject_cast<QDateTimeEdit*>(GetPeer());
    if (!d) {
        time.SetStatus(COleDateTime::null);
        return GDT_NONE;
    }
    const QDateTime v = d->dateTime();
    time.SetDateTime(v.date().year(), v.date().month(), v.date().day(), v.time().hour(), v.time().minute(),
                     v.time().second());
    return GDT_VALID;
}

LRESULT CDateTimeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CControlWnd::WindowProc(msg, wParam, lParam);
}

// ---- CTabCtrl ------------------------------------------------------------------------------

// A tab bar over a framed display area. Clicks and keys go through the
// owner so that TCN_SELCHANGING can keep the old tab.
class VxTabWidget : public QWidget {
public:
    VxTabWidget(CTabCtrl* owner, QWidget* parent) : QWidget(parent), m_owner(owner), m_bar(new QTabBar(this))
    {
        m_bar->setDrawBase(false);
        m_bar->setExpanding(false);
        m_bar->setUsesScrollButtons(true);
        m_bar->setFocusPolicy(Qt::NoFocus);
        m_bar->installEventFilter(this);
        setFocusPolicy(Qt::TabFocus);
    }
    QTabBar* bar() const { return m_bar; }
    int barHeight() const { return m_bar->count() ? m_bar->sizeHint().height() : m_bar->fontMetrics().height() + 10; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == m_bar) {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
                auto* me = static_cast<QMouseEvent*>(e);
                const int i = m_bar->tabAt(me->position().toPoint());
                if (me->button() == Qt::LeftButton && i >= 0 && i != m_bar->currentIndex())
                    m_owner->userSelect(i);
                return true;
            }
            if (e->type() == QEvent::Wheel)
                return true;
        }
        return QWidget::eventFilter(o, e);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const int cur = m_bar->currentIndex();
        if (e->key() == Qt::Key_Left && cur > 0)
            m_owner->userSelect(cur - 1);
        else if (e->key() == Qt::Key_Right && cur + 1 < m_bar->count())
            m_owner->userSelect(cur + 1);
        else
            QWidget::keyPressEvent(e);
    }
    void resizeEvent(QResizeEvent*) override { layoutBar(); }
    void paintEvent(QPaintEvent*) override
    {
        layoutBar();
        QPainter p(this);
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(this);
        opt.rect = QRect(0, barHeight() - 1, width(), height() - barHeight() + 1);
        opt.shape = QTabBar::RoundedNorth;
        opt.tabBarSize = m_bar->sizeHint();
        opt.tabBarRect = m_bar->geometry();
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
    }

public:
    void layoutBar()
    {
        const int h = barHeight();
        if (m_bar->geometry() != QRect(2, 0, std::max(0, width() - 4), h))
            m_bar->setGeometry(2, 0, std::max(0, width() - 4), h);
    }

private:
    CTabCtrl* m_owner;
    QTabBar* m_bar;
};

namespace {
VxTabWidget* Tabs(const CWnd* w) { return dynamic_cast<VxTabWidget*>(w->GetPeer()); }
constexpr int kTabPaneMargin = 4;
} // namespace

QWidget* CTabCtrl::CreatePeer(QWidget* qtParent) { return new VxTabWidget(this, qtParent); }

LONG CTabCtrl::InsertItem(int index, const char* text) { return InsertItem(index, text, 0); }

LONG CTabCtrl::InsertItem(int index, const char* text, LPARAM data)
{
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(text);
    item.lParam = data;
    return InsertItem(index, &item);
}

LONG CTabCtrl::InsertItem(int index, TCITEM* item)
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item)
        return -1;
    QTabBar* bar = t->bar();
    if (index < 0 || index > bar->count())
        index = bar->count();
    CodeScope scope(m_settingFromCode);
    const int cur = bar->currentIndex();
    const QString text = (item->mask & TCIF_TEXT) && item->pszText ? vx::ToQString(CString(item->pszText)) : QString();
    bar->insertTab(index, text);
    bar->setTabData(index, QVariant::fromValue<qlonglong>((item->mask & TCIF_PARAM) ? item->lParam : 0));
    // The first tab becomes the selection; later inserts keep it.
    if (cur >= 0)
        bar->setCurrentIndex(index <= cur ? cur + 1 : cur);
    t->layoutBar();
    t->update();
    return index;
}

BOOL CTabCtrl::DeleteItem(int index)
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return FALSE;
    CodeScope scope(m_settingFromCode);
    t->bar()->removeTab(index);
    t->update();
    return TRUE;
}

BOOL CTabCtrl::DeleteAllItems()
{
    VxTabWidget* t = Tabs(this);
    if (!t)
        return FALSE;
    CodeScope scope(m_settingFromCode);
    while (t->bar()->count())
        t->bar()->removeTab(0);
    t->update();
    return TRUE;
}

int CTabCtrl::GetItemCount() const
{
    VxTabWidget* t = Tabs(this);
    return t ? t->bar()->count() : 0;
}

BOOL CTabCtrl::GetItem(int index, TCITEM* item) const
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item || index < 0 || index >= t->bar()->count())
        return FALSE;
    if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        const CString s = vx::FromQString(t->bar()->tabText(index));
        const int n = std::min(s.GetLength(), item->cchTextMax - 1);
        std::copy(s.str().begin(), s.str().begin() + n, item->pszText);
        item->pszText[n] = '\0';
    }
    if (item->mask & TCIF_PARAM)
        item->lParam = static_cast<LPARAM>(t->bar()->tabData(index).toLongLong());
    return TRUE;
}

BOOL CTabCtrl::SetItem(int index, TCITEM* item)
{
    VxTabWidget* t = Tabs(this);
    if (!t || !item || index < 0 || index >= t->bar()->count())
        return FALSE;
    if ((item->mask & TCIF_TEXT) && item->pszText)
        t->bar()->setTabText(index, vx::ToQString(CString(item->pszText)));
    if (item->mask & TCIF_PARAM)
        t->bar()->setTabData(index, QVariant::fromValue<qlonglong>(item->lParam));
    t->layoutBar();
    t->update();
    return TRUE;
}

BOOL CTabCtrl::SetItemText(int index, const char* text)
{
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text);
    return SetItem(index, &item);
}

CString CTabCtrl::GetItemText(int index) const
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return CString();
    return vx::FromQString(t->bar()->tabText(index));
}

LPARAM CTabCtrl::GetItemData(int index) const
{
    TCITEM item;
    item.mask = TCIF_PARAM;
    return GetItem(index, &item) ? item.lParam : 0;
}

int CTabCtrl::GetCurSel() const
{
    VxTabWidget* t = Tabs(this);
    return t ? t->bar()->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    VxTabWidget* t = Tabs(this);
    if (!t || index < 0 || index >= t->bar()->count())
        return -1;
    const int old = t->bar()->currentIndex();
    CodeScope scope(m_settingFromCode);
    t->bar()->setCurrentIndex(index);
    return old;
}

void CTabCtrl::AdjustRect(BOOL larger, RECT* rect) const
{
    VxTabWidget* t = Tabs(this);
    if (!rect)
        return;
    const int top = (t ? t->barHeight() : 20) + kTabPaneMargin;
    const int m = kTabPaneMargin;
    if (larger) {
        rect->left -= m;
        rect->right += m;
        rect->top -= top;
        rect->bottom += m;
    } else {
        rect->left += m;
        rect->right -= m;
        rect->top += top;
        rect->bottom -= m;
    }
}

void CTabCtrl::userSelect(int index)
{
    if (!IsWindowEnabled() || index == GetCurSel() || index < 0 || index >= GetItemCount())
        return;
    if (NotifyParent(TCN_SELCHANGING) != 0)
        return;
    SetCurSel(index);
    NotifyParent(TCN_SELCHANGE);
}

void CTabCtrl::ClickTab(int index) { userSelect(index); }

LRESULT CTabCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case TCM_GETITEMCOUNT:
        return GetItemCount();
    case TCM_GETITEM:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_SETITEM:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_INSERTITEM:
        return InsertItem(static_cast<int>(wParam), reinterpret_cast<TCITEM*>(lParam));
    case TCM_DELETEITEM:
        return DeleteItem(static_cast<int>(wParam));
    case TCM_DELETEALLITEMS:
        return DeleteAllItems();
    case TCM_GETCURSEL:
        return GetCurSel();
    case TCM_SETCURSEL:
        return SetCurSel(static_cast<int>(wParam));
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}

// ---- CToolTipCtrl -------------------------------------------------------------------------

namespace {
class VxTipFilter : public QObject {
public:
    VxTipFilter(CToolTipCtrl* owner, CWnd* wnd, QObject* parent) : QObject(parent), m_owner(owner), m_wnd(wnd) {}
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip)
            return false;
        auto* he = static_cast<QHelpEvent*>(e);
        const CString text = m_owner->TipTextAt(m_wnd, CPoint(he->pos().x(), he->pos().y()));
        if (text.IsEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(he->globalPos(), vx::ToQString(text), static_cast<QWidget*>(o));
        }
        return true;
    }

private:
    CToolTipCtrl* m_owner;
    CWnd* m_wnd;
};
} // namespace

CToolTipCtrl::~CToolTipCtrl()
{
    for (const QPointer<QObject>& f : m_filters)
        delete f.data();
}

BOOL CToolTipCtrl::Create(CWnd*, DWORD)
{
    // Qt shows the tips itself; the control only keeps the tools.
    return TRUE;
}

void CToolTipCtrl::watch(CWnd* wnd)
{
    if (!wnd || !wnd->GetPeer())
        return;
    std::erase_if(m_filters, [](const QPointer<QObject>& f) { return f.isNull(); });
    for (const QPointer<QObject>& f : m_filters)
        if (f->parent() == wnd->GetPeer())
            return;
    auto* f = new VxTipFilter(this, wnd, wnd->GetPeer());
    wnd->GetPeer()->installEventFilter(f);
    m_filters.emplace_back(f);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text, const RECT* rect, UINT_PTR toolId)
{
    if (!wnd)
        return FALSE;
    m_tools.push_back({wnd, toolId, rect ? CRect(*rect) : CRect(), CString(text)});
    watch(wnd);
    return TRUE;
}

void CToolTipCtrl::Activate(BOOL activate) { m_active = activate != FALSE; }

CString CToolTipCtrl::TipTextAt(CWnd* wnd, CPoint point) const
{
    if (!m_active)
        return CString();
    // Later tools lie on top of earlier ones with the same id.
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it)
        if (it->wnd == wnd && (it->rect.IsRectEmpty() || it->rect.PtInRect(point)))
            return it->text;
    return CString();
}
