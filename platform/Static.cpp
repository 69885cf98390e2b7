#include "Static.h"
#include "Dc.h"
#include "Text1252.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CStatic, CControlWnd)

namespace {

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

} // namespace

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
