// Text output and measuring of CDC.
#include "platform/Dc.h"

#include "platform/DcImpl.h"
#include "platform/Text1252.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QStaticText>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using vx::dcdetail::ToQColor;

namespace {

QFontMetrics Metrics(const CDC::Impl& d)
{
    if (QPaintDevice* dev = d.Device())
        return QFontMetrics(d.s.font, dev);
    return QFontMetrics(d.s.font);
}

struct FontFacts {
    int ascent, descent, height;
    double exactAscent;
};

// A label on a plain background, as it came out: the same text in the same
// font and colour on the same background comes out pixel for pixel the same
// wherever it goes (its origin is a whole pixel), so it is copied instead of
// drawn. Glyph blending is most of what a chart's paint costs in text.
struct StampKey {
    QString text;
    QRgb ink;
    QRgb paper;
    qint64 fill;   // the line's own background, or -1 without one
    bool operator==(const StampKey& o) const
    {
        return ink == o.ink && paper == o.paper && fill == o.fill && text == o.text;
    }
};
size_t qHash(const StampKey& k, size_t seed = 0) { return qHashMulti(seed, k.text, k.ink, k.paper, k.fill); }
// What lay under the line, and what the drawing made of it.
struct Stamp {
    QImage before, after;
};

// A chart draws and measures the same few texts in the same few fonts on
// every paint; metrics objects and the shaping behind a width are costly,
// so both are kept per font (bounded: a full cache starts again).
struct FontEntry {
    std::mutex lock;
    bool factsKnown = false;
    FontFacts facts{};
    QHash<QString, int> advances;
    // A scale text (digits, signs, separators) is as wide as its
    // characters' advances together, when this font neither kerns nor
    // joins any two of them: then a new one is summed, not shaped. -1
    // while not yet looked at.
    int sumsDigits = -1;
    std::array<double, 128> digitAdvances {};
    // The same widths by the text's own bytes: a chart measures its labels
    // many times a paint, and the conversion alone costs more than this.
    std::unordered_map<std::string, int> byteAdvances;
    QHash<QString, QStaticText> shaped;
    QHash<QString, QRect> inks;
    QHash<StampKey, Stamp> stamps;
};

// What a text's metrics depend on: the font and the device's resolution.
struct FontId {
    LOGFONT lf;
    int dpiX, dpiY;
    bool operator==(const FontId& o) const
    {
        return std::memcmp(&lf, &o.lf, sizeof lf) == 0 && dpiX == o.dpiX && dpiY == o.dpiY;
    }
};

FontEntry& EntryFor(const CDC::Impl& d)
{
    const FontId id{d.s.lf, d.dpiX, d.dpiY};
    // Most lookups ask for the font the last one asked for: found without
    // building a key.
    thread_local FontId lastId{};
    thread_local std::shared_ptr<FontEntry> last;
    if (last && lastId == id)
        return *last;
    static std::mutex lock;
    static std::unordered_map<std::string, std::shared_ptr<FontEntry>> fonts;
    std::string key(reinterpret_cast<const char*>(&id.lf), sizeof id.lf);
    key.append(reinterpret_cast<const char*>(&id.dpiX), sizeof id.dpiX);
    key.append(reinterpret_cast<const char*>(&id.dpiY), sizeof id.dpiY);
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = fonts.find(key);
        if (it == fonts.end()) {
            // Entries still in use stay alive with their users.
            if (fonts.size() >= 256)
                fonts.clear();
            it = fonts.emplace(key, std::make_shared<FontEntry>()).first;
        }
        last = it->second;
    }
    lastId = id;
    return *last;
}

template <class Value, class Make>
Value Remembered(FontEntry& e, QHash<QString, Value> FontEntry::*table, const QString& text, const Make& make)
{
    {
        std::lock_guard<std::mutex> guard(e.lock);
        const auto it = (e.*table).constFind(text);
        if (it != (e.*table).cend())
            return *it;
    }
    const Value v = make();
    std::lock_guard<std::mutex> guard(e.lock);
    if ((e.*table).size() >= 4096)
        (e.*table).clear();
    (e.*table).insert(text, v);
    return v;
}

FontFacts Facts(const CDC::Impl& d)
{
    FontEntry& e = EntryFor(d);
    {
        std::lock_guard<std::mutex> guard(e.lock);
        if (e.factsKnown)
            return e.facts;
    }
    const QFontMetrics fm = Metrics(d);
    const QFontMetricsF fmf = d.Device() ? QFontMetricsF(d.s.font, d.Device()) : QFontMetricsF(d.s.font);
    const FontFacts f{fm.ascent(), fm.descent(), fm.height(), fmf.ascent()};
    std::lock_guard<std::mutex> guard(e.lock);
    e.facts = f;
    e.factsKnown = true;
    return f;
}

// The laid-out text: drawing it again skips the shaping.
QStaticText Shaped(const CDC::Impl& d, const QString& text)
{
    return Remembered(EntryFor(d), &FontEntry::shaped, text, [&] {
        QStaticText st(text);
        st.setTextFormat(Qt::PlainText);
        st.setTextWidth(-1);
        return st;
    });
}

// What drawing a line may touch, from its top left corner: the glyphs' ink
// (which may reach before the start or past the advance) and the line's
// cell, with room around for anti-aliasing.
QRect InkBox(const CDC::Impl& d, const QString& text, int advance, const FontFacts& f)
{
    return Remembered(EntryFor(d), &FontEntry::inks, text, [&] {
        const QRect ink = Metrics(d).boundingRect(text).translated(0, f.ascent);
        return ink.united(QRect(0, 0, std::max(advance, 1), f.ascent + f.descent)).adjusted(-3, -3, 3, 3);
    });
}

// The characters of numbers, times and dates as scales print them.
constexpr char kDigitChars[] = "0123456789.,:;+-/ eE%()";

bool DigitText(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 128 || c.unicode() == 0 || !std::strchr(kDigitChars, static_cast<char>(c.unicode())))
            return false;
    return true;
}

// Whether digit texts may be summed in this font: every pair of their
// characters, shaped as one text, is as wide as the sum.
bool SumsDigits(const CDC::Impl& d, FontEntry& e)
{
    {
        std::lock_guard<std::mutex> guard(e.lock);
        if (e.sumsDigits >= 0)
            return e.sumsDigits == 1;
    }
    const QFontMetricsF fm = d.Device() ? QFontMetricsF(d.s.font, d.Device()) : QFontMetricsF(d.s.font);
    std::array<double, 128> advances {};
    QString pairs;
    double sum = 0.0;
    const std::string_view chars(kDigitChars);
    for (char a : chars) {
        advances[static_cast<size_t>(a)] = fm.horizontalAdvance(QLatin1Char(a));
        for (char b : chars) {
            pairs += QLatin1Char(a);
            pairs += QLatin1Char(b);
        }
    }
    for (QChar c : pairs)
        sum += advances[c.unicode()];
    const bool ok = Metrics(d).horizontalAdvance(pairs) == qRound(sum) && fm.horizontalAdvance(pairs) == sum;
    std::lock_guard<std::mutex> guard(e.lock);
    e.digitAdvances = advances;
    e.sumsDigits = ok ? 1 : 0;
    return ok;
}

int Advance(const CDC::Impl& d, const QString& text)
{
    FontEntry& e = EntryFor(d);
    return Remembered(e, &FontEntry::advances, text, [&] {
        // A scale moving on brings new texts at every refresh: shaping
        // each is most of what measuring it costs.
        if (DigitText(text) && SumsDigits(d, e)) {
            double sum = 0.0;
            std::lock_guard<std::mutex> guard(e.lock);
            for (QChar c : text)
                sum += e.digitAdvances[c.unicode()];
            return qRound(sum);
        }
        return Metrics(d).horizontalAdvance(text);
    });
}

// "&x" shows x (underlined by the system; here plainly), "&&" shows "&".
QString StripPrefix(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size())
                out += s[++i];
            continue;
        }
        out += s[i];
    }
    return out;
}

QString ExpandTabs(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c == u'\t') {
            const qsizetype n = 8 - out.size() % 8;
            out += QString(n, u' ');
        } else {
            out += c;
        }
    }
    return out;
}

QStringList SplitLines(const QString& s)
{
    QStringList lines;
    QString cur;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\r' || c == u'\n') {
            lines << cur;
            cur.clear();
            if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                ++i;
            continue;
        }
        cur += c;
    }
    lines << cur;
    return lines;
}

QStringList WrapLine(const QString& line, const QFontMetrics& fm, int width)
{
    QStringList out;
    if (fm.horizontalAdvance(line) <= width) {
        out << line;
        return out;
    }
    const QStringList words = line.split(u' ');
    QString cur;
    for (const QString& w : words) {
        const QString trial = cur.isEmpty() ? w : cur + u' ' + w;
        if (!cur.isEmpty() && fm.horizontalAdvance(trial) > width) {
            out << cur;
            cur = w;
        } else {
            cur = trial;
        }
    }
    out << cur;
    return out;
}

// True when box of img holds what part holds (pixel for pixel, part being
// as large as box): each row compared as the library compares memory.
bool Same(const QImage& img, const QRect& box, const QImage& part)
{
    const uchar* bits = img.constBits();
    const qsizetype stride = img.bytesPerLine(), partStride = part.bytesPerLine();
    const uchar* from = part.constBits();
    const auto bytes = static_cast<size_t>(box.width()) * sizeof(QRgb);
    for (int y = box.top(); y <= box.bottom(); ++y, from += partStride)
        if (std::memcmp(bits + y * stride + box.left() * qsizetype(sizeof(QRgb)), from, bytes) != 0)
            return false;
    return true;
}

// The outermost ring of box is still as it was before: the drawing stayed
// inside.
bool RingSame(const QImage& img, const QRect& box, const QImage& before)
{
    const qsizetype stride = img.bytesPerLine() / 4, beforeStride = before.bytesPerLine() / 4;
    const auto* now = reinterpret_cast<const QRgb*>(img.constBits()) + box.top() * stride + box.left();
    const auto* was = reinterpret_cast<const QRgb*>(before.constBits());
    const auto bytes = static_cast<size_t>(box.width()) * sizeof(QRgb);
    const int last = box.height() - 1;
    if (std::memcmp(now, was, bytes) != 0 || std::memcmp(now + last * stride, was + last * beforeStride, bytes) != 0)
        return false;
    const int right = box.width() - 1;
    for (int y = 1; y < last; ++y)
        if (now[y * stride] != was[y * beforeStride] || now[y * stride + right] != was[y * beforeStride + right])
            return false;
    return true;
}

// Where a line of text may be a copy of the same line drawn before: on a
// picture, unturned, at whole pixels, all of what it may touch inside the
// clip. An empty box otherwise. A copy is taken only where what lies
// under the box is what lay under it then.
struct StampPlace {
    QRect box;   // device
    StampKey key;
};

StampPlace PlaceFor(CDC::Impl& d, const QPainter& p, QPoint ref, const QString& text, int advance,
                    const FontFacts& f, const QRect* limit)
{
    StampPlace place;
    QImage* img = d.HasPixels() ? d.image : nullptr;
    const QTransform& t = p.transform();
    if (!img || img->format() != QImage::Format_RGB32 || !img->isDetached() || d.s.lf.lfEscapement != 0 ||
        t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()) ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1.0)
        return place;
    const QPoint origin = ref + QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
    const QRect box = InkBox(d, text, advance, f).translated(origin);
    const auto& clips = d.ClipRects();
    if (!img->rect().contains(box) || (limit && !limit->contains(box)) ||
        !std::any_of(clips.begin(), clips.end(), [&](const QRect& c) { return c.contains(box); }))
        return place;
    const QRgb paper = reinterpret_cast<const QRgb*>(img->constScanLine(box.top()))[box.left()];
    place.box = box;
    const qint64 fill = d.s.bkMode == OPAQUE ? qint64(ToQColor(d.s.bkColor).rgb()) : -1;
    place.key = StampKey{text, ToQColor(d.s.textColor).rgb(), paper, fill};
    return place;
}

// One line of text with its top left corner at ref, turned by the font's
// escapement around that point. limit: a further clip in device units, if
// any.
void DrawLine(CDC::Impl& d, QPainter& p, QPoint ref, const QString& text, const QRect* limit = nullptr)
{
    const FontFacts f = Facts(d);
    const int w = Advance(d, text);
    const int asc = f.ascent;
    const int desc = f.descent;
    const bool turned = d.s.lf.lfEscapement != 0;
    // Looked for before the line's own background goes down: a copy
    // brings that along.
    const StampPlace place = PlaceFor(d, p, ref, text, w, f, limit);
    QImage* img = d.image;
    const QRect& box = place.box;
    QImage before;
    if (!box.isEmpty()) {
        FontEntry& e = EntryFor(d);
        Stamp stamp;
        {
            std::lock_guard<std::mutex> guard(e.lock);
            stamp = e.stamps.value(place.key);
        }
        if (stamp.after.size() == box.size() && Same(*img, box, stamp.before)) {
            const qsizetype stride = img->bytesPerLine(), stampStride = stamp.after.bytesPerLine();
            uchar* to = img->bits() + box.top() * stride + box.left() * 4;
            const uchar* from = stamp.after.constBits();
            const auto bytes = static_cast<size_t>(box.width()) * 4;
            for (int y = 0; y < box.height(); ++y, to += stride, from += stampStride)
                std::memcpy(to, from, bytes);
            return;
        }
        before = img->copy(box);
    }

    p.save();
    p.translate(ref);
    if (turned)
        p.rotate(-(d.s.lf.lfEscapement / 10.0));
    if (d.s.bkMode == OPAQUE)
        p.fillRect(QRect(0, 0, w, asc + desc), ToQColor(d.s.bkColor));
    p.setFont(d.s.font);
    p.setPen(ToQColor(d.s.textColor));
    // Placed so that its baseline lies where drawText(0, ascent) puts it.
    p.drawStaticText(QPointF(0.0, asc - f.exactAscent), Shaped(d, text));
    p.restore();

    if (!box.isEmpty() && RingSame(*img, box, before)) {
        FontEntry& e = EntryFor(d);
        const Stamp stamp{before, img->copy(box)};
        std::lock_guard<std::mutex> guard(e.lock);
        // A time axis brings new texts as it moves on: the ones on screen
        // are a few dozen.
        if (e.stamps.size() >= 256)
            e.stamps.clear();
        e.stamps.insert(place.key, stamp);
    }
}

} // namespace

BOOL CDC::TextOut(int x, int y, const CString& text)
{
    return TextOut(x, y, text.GetString(), text.GetLength());
}

BOOL CDC::TextOut(int x, int y, const char* text, int count)
{
    if (!text)
        return FALSE;
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    const QString qs = vx::ToQString(CString(text, count));
    if (QPainter* p = d->P())
        DrawLine(*d, *p, QPoint(x, y), qs);
    else if (!d->CanDraw())
        return FALSE;
    return TRUE;
}

int CDC::DrawText(const CString& text, RECT* rect, UINT format)
{
    return DrawText(text.GetString(), text.GetLength(), rect, format);
}

int CDC::DrawText(const char* text, int count, RECT* rect, UINT format)
{
    if (!text || !rect)
        return 0;
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    QString qs = vx::ToQString(CString(text, count));
    // A label (no prefix mark, tab or line break) is one line as it stands:
    // a chart draws a dozen of them on every paint.
    const auto has = [&](char c) { return std::memchr(text, c, static_cast<size_t>(count)) != nullptr; };
    const bool plain = !has('&') && !has('\t') && !has('\r') && !has('\n') && !(format & DT_WORDBREAK);
    if (!(format & DT_NOPREFIX) && !plain)
        qs = StripPrefix(qs);
    if ((format & DT_EXPANDTABS) && !plain)
        qs = ExpandTabs(qs);

    const int width = rect->right - rect->left;
    QStringList lines;
    if (plain) {
        lines << qs;
    } else if (format & DT_SINGLELINE) {
        QString one = qs;
        one.remove(u'\r');
        one.remove(u'\n');
        lines << one;
    } else {
        for (const QString& l : SplitLines(qs)) {
            if (format & DT_WORDBREAK)
                lines << WrapLine(l, Metrics(*d), std::max(1, width));
            else
                lines << l;
        }
    }
    const int lineH = Facts(*d).height;
    const int total = lineH * static_cast<int>(lines.size());

    if (format & DT_CALCRECT) {
        int maxW = 0;
        for (const QString& l : lines)
            maxW = std::max(maxW, Advance(*d, l));
        rect->right = rect->left + maxW;
        rect->bottom = rect->top + total;
        return total;
    }

    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = (rect->top + rect->bottom - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineH;
    }
    QPainter* p = d->P();
    if (!p)
        return d->CanDraw() ? total : 0;
    // Only a clip needs the painter's state put back afterwards.
    const bool clip = !(format & DT_NOCLIP);
    QRect limit;
    if (clip) {
        p->save();
        const QRect r(rect->left, rect->top, width, rect->bottom - rect->top);
        p->setClipRect(r, Qt::IntersectClip);
        limit = p->transform().mapRect(r);
    }
    for (const QString& l : lines) {
        const int w = Advance(*d, l);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (width - w) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - w;
        DrawLine(*d, *p, QPoint(x, y), l, clip ? &limit : nullptr);
        y += lineH;
    }
    if (clip)
        p->restore();
    return y - rect->top;
}

CSize CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text.GetString(), text.GetLength()); }

CSize CDC::GetTextExtent(const char* text, int count) const
{
    if (!text)
        return CSize(0, 0);
    if (count < 0)
        count = static_cast<int>(std::strlen(text));
    FontEntry& e = EntryFor(*d);
    std::string bytes(text, static_cast<size_t>(count));
    {
        std::lock_guard<std::mutex> guard(e.lock);
        if (e.factsKnown) {
            const auto it = e.byteAdvances.find(bytes);
            if (it != e.byteAdvances.end())
                return CSize(it->second, e.facts.height);
        }
    }
    const CSize size(Advance(*d, vx::ToQString(CString(text, count))), Facts(*d).height);
    std::lock_guard<std::mutex> guard(e.lock);
    if (e.byteAdvances.size() >= 4096)
        e.byteAdvances.clear();
    e.byteAdvances.emplace(std::move(bytes), size.cx);
    return size;
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* tm) const
{
    if (!tm || d->kind == Impl::Kind::None)
        return FALSE;
    const QFontMetrics fm = Metrics(*d);
    *tm = TEXTMETRIC();
    tm->tmHeight = fm.height();
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmInternalLeading = std::max(0, fm.height() - d->s.font.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    tm->tmWeight = d->s.lf.lfWeight > 0 ? d->s.lf.lfWeight : FW_NORMAL;
    tm->tmItalic = d->s.lf.lfItalic;
    tm->tmUnderlined = d->s.lf.lfUnderline;
    tm->tmStruckOut = d->s.lf.lfStrikeOut;
    tm->tmPitchAndFamily = d->s.lf.lfPitchAndFamily;
    tm->tmCharSet = d->s.lf.lfCharSet;
    tm->tmDigitizedAspectX = d->dpiX;
    tm->tmDigitizedAspectY = d->dpiY;
    return TRUE;
}
