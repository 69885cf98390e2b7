#include "controls/TerminalView.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// Room between the frame and the text, as a text edit leaves it.
constexpr int kMargin = 4;

}  // namespace

TerminalView::TerminalView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    Layout();
}

void TerminalView::SetText(const QString& text)
{
    // Only the last lines are kept.
    int from = 0;
    int lines = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] != u'\n')
            continue;
        if (++lines > m_maxLines) {
            from = static_cast<int>(i) + 1;
            break;
        }
    }
    m_text = from > 0 ? text.mid(from) : text;
    m_anchor = m_caret = 0;
    m_stickToEnd = true;
    Layout();
    viewport()->update();
}

int TerminalView::LineCount() const { return static_cast<int>(m_text.count(u'\n')) + 1; }

int TerminalView::RowCount() const { return static_cast<int>(m_rows.size()); }

void TerminalView::Select(int anchor, int caret)
{
    const int n = static_cast<int>(m_text.size());
    m_anchor = std::clamp(anchor, 0, n);
    m_caret = std::clamp(caret, 0, n);
    viewport()->update();
}

QString TerminalView::SelectedText() const
{
    const int lo = std::min(m_anchor, m_caret), hi = std::max(m_anchor, m_caret);
    return m_text.mid(lo, hi - lo);
}

void TerminalView::Copy() const
{
    const QString s = SelectedText();
    if (!s.isEmpty())
        QGuiApplication::clipboard()->setText(s);
}

double TerminalView::CharWidth() const
{
    // Fractional: a monospaced font's advance is rarely a whole pixel, and
    // a selection must fit the characters to the end of a long row.
    return std::max(1.0, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')));
}

int TerminalView::Columns() const
{
    return std::max(1, static_cast<int>((viewport()->width() - 2 * kMargin) / CharWidth()));
}

int TerminalView::RowHeight() const { return std::max(1, QFontMetrics(font()).lineSpacing()); }

int TerminalView::VisibleRows() const { return std::max(1, (viewport()->height() - kMargin) / RowHeight()); }

void TerminalView::Layout()
{
    // A line longer than the width breaks after its last space that fits,
    // else at the width.
    m_rows.clear();
    const int cols = Columns();
    const int n = static_cast<int>(m_text.size());
    int lineStart = 0;
    for (;;) {
        int lineEnd = static_cast<int>(m_text.indexOf(u'\n', lineStart));
        if (lineEnd < 0)
            lineEnd = n;
        if (lineEnd == lineStart)
            m_rows.push_back({lineStart, 0});
        for (int pos = lineStart; pos < lineEnd;) {
            if (lineEnd - pos <= cols) {
                m_rows.push_back({pos, lineEnd - pos});
                break;
            }
            int cut = pos + cols;
            for (int k = pos + cols - 1; k > pos; --k)
                if (m_text[k] == u' ') {
                    cut = k + 1;
                    break;
                }
            m_rows.push_back({pos, cut - pos});
            pos = cut;
        }
        if (lineEnd >= n)
            break;
        lineStart = lineEnd + 1;
    }
    QScrollBar* bar = verticalScrollBar();
    const int visible = VisibleRows();
    const bool stick = m_stickToEnd;
    bar->setRange(0, std::max(0, static_cast<int>(m_rows.size()) - visible));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    if (stick)
        bar->setValue(bar->maximum());
    m_stickToEnd = stick;
}

int TerminalView::OffsetAt(QPoint p) const
{
    const int row = std::clamp(verticalScrollBar()->value() + (p.y() - kMargin) / RowHeight(), 0,
                               static_cast<int>(m_rows.size()) - 1);
    const Row& r = m_rows[static_cast<size_t>(row)];
    const int col = static_cast<int>(std::lround((p.x() - kMargin) / CharWidth()));
    return r.start + std::clamp(col, 0, r.length);
}

void TerminalView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.setFont(font());
    const QFontMetrics fm(font());
    const int h = RowHeight();
    const double w = CharWidth();
    // A laid-out row is placed by its top; its baseline then lies where
    // drawText puts it at the whole-pixel ascent.
    const double lift = fm.ascent() - QFontMetricsF(font()).ascent();
    const QPalette& pal = palette();
    const int selLo = std::min(m_anchor, m_caret), selHi = std::max(m_anchor, m_caret);
    int y = kMargin;
    for (int r = verticalScrollBar()->value(); r < static_cast<int>(m_rows.size()) && y < viewport()->height();
         ++r, y += h) {
        const Row& row = m_rows[static_cast<size_t>(r)];
        QString s = m_text.mid(row.start, row.length);
        s.replace(u'\t', u' ');
        const std::optional<QGlyphRun> glyphs = Glyphs(s);
        const QStaticText* shaped = glyphs ? nullptr : &Shaped(s);
        const QPointF at(kMargin, y + lift);
        const auto draw = [&] {
            if (glyphs)
                p.drawGlyphRun(QPointF(kMargin, y + fm.ascent()), *glyphs);
            else
                p.drawStaticText(at, *shaped);
        };
        p.setPen(pal.color(QPalette::Text));
        draw();
        const int lo = std::max(selLo, row.start), hi = std::min(selHi, row.start + row.length);
        if (lo < hi) {
            // The row again in the selection's colours, clipped to it: the
            // characters stay exactly where they are.
            const QRectF band(kMargin + (lo - row.start) * w, y, (hi - lo) * w, h);
            p.fillRect(band, pal.color(QPalette::Highlight));
            p.save();
            p.setClipRect(band);
            p.setPen(pal.color(QPalette::HighlightedText));
            draw();
            p.restore();
        }
    }
}

const QStaticText& TerminalView::Shaped(const QString& row)
{
    auto it = m_shaped.find(row);
    if (it == m_shaped.end()) {
        // More rows than a screen shows many times over: start again rather
        // than keep every row ever shown.
        if (m_shaped.size() >= 1024)
            m_shaped.clear();
        QStaticText st(row);
        st.setTextFormat(Qt::PlainText);
        st.setTextWidth(-1);
        st.prepare(QTransform(), font());
        it = m_shaped.insert(row, st);
    }
    return *it;
}

std::optional<QGlyphRun> TerminalView::Glyphs(const QString& row)
{
    if (!m_cells.known) {
        m_cells = Cells();
        m_cells.known = true;
        m_cells.raw = QRawFont::fromFont(font());
        if (m_cells.raw.isValid()) {
            QString all;
            for (int c = 0; c < 256; ++c)
                all += QChar(c);
            const QList<quint32> indexes = m_cells.raw.glyphIndexesForString(all);
            const QList<QPointF> advances = m_cells.raw.advancesForGlyphIndexes(indexes);
            if (indexes.size() == 256 && advances.size() == 256) {
                m_cells.advance = advances[u'0'].x();
                for (int c = 0; c < 256; ++c)
                    // A character the font lacks or draws wider or narrower
                    // than a cell is left to the shaping.
                    m_cells.glyph[static_cast<size_t>(c)] =
                        advances[c].x() == m_cells.advance && advances[c].y() == 0 ? indexes[c] : 0;
                m_cells.usable = m_cells.advance > 0;
            }
        }
    }
    if (!m_cells.usable || row.isEmpty())
        return std::nullopt;
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(row.size());
    positions.reserve(row.size());
    qreal x = 0;
    for (QChar c : row) {
        const quint32 g = c.unicode() < 256 ? m_cells.glyph[c.unicode()] : 0;
        if (g == 0 || (c.unicode() < 32 && c != u' '))
            return std::nullopt;
        indexes.append(g);
        positions.append(QPointF(x, 0));
        x += m_cells.advance;
    }
    QGlyphRun run;
    run.setRawFont(m_cells.raw);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}

void TerminalView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    Layout();
}

void TerminalView::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        m_shaped.clear();
        m_cells = Cells();
        Layout();
        viewport()->update();
    }
}

void TerminalView::scrollContentsBy(int, int)
{
    const QScrollBar* bar = verticalScrollBar();
    m_stickToEnd = bar->value() == bar->maximum();
    viewport()->update();
}

void TerminalView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int at = OffsetAt(e->position().toPoint());
    Select((e->modifiers() & Qt::ShiftModifier) ? m_anchor : at, at);
}

void TerminalView::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton))
        return;
    // Dragged beyond the view: it follows a row at a time.
    const QPoint p = e->position().toPoint();
    if (p.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (p.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    Select(m_anchor, OffsetAt(p));
}

void TerminalView::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    if (e->key() == Qt::Key_Home || e->key() == Qt::Key_End) {
        verticalScrollBar()->triggerAction(e->key() == Qt::Key_Home ? QAbstractSlider::SliderToMinimum
                                                                    : QAbstractSlider::SliderToMaximum);
        return;
    }
    // Arrows and pages scroll; anything else goes on to the dialog.
    QAbstractScrollArea::keyPressEvent(e);
}

void TerminalView::contextMenuEvent(QContextMenuEvent* e)
{
    // The toolkit's own texts for a text field's menu, so its translation
    // speaks the program's language.
    auto text = [](const char* source, QKeySequence::StandardKey key) {
        return QCoreApplication::translate("QWidgetTextControl", source) + u'\t' +
               QKeySequence(key).toString(QKeySequence::NativeText);
    };
    QMenu menu(this);
    QAction* copy = menu.addAction(text("&Copy", QKeySequence::Copy), [this] { Copy(); });
    copy->setEnabled(m_anchor != m_caret);
    menu.addAction(text("Select All", QKeySequence::SelectAll), [this] { SelectAll(); });
    menu.exec(e->globalPos());
}
