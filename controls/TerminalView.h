// The terminal's text on screen: read-only lines, wrapped at the width,
// scrolled by rows, selectable and copied with the keyboard or the mouse.
//
// A device that streams replaces what the terminal shows several times a
// second. A text document lays out and keeps a block per line for that;
// this view keeps the text as it is and lays out, on a change, only where
// each screen row starts, and draws only the rows on screen.
#pragma once

#include <QAbstractScrollArea>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QStaticText>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class TerminalView : public QAbstractScrollArea {
public:
    explicit TerminalView(QWidget* parent = nullptr);

    // Lines apart by '\n'. Of a text with more lines than the limit, its
    // last lines are shown. The end comes into view; a selection is gone.
    void SetText(const QString& text);
    // What is shown.
    const QString& Text() const { return m_text; }
    void SetMaxLines(int lines) { m_maxLines = lines > 0 ? lines : 1; }
    int LineCount() const;
    // Screen rows of the shown text at the current width.
    int RowCount() const;

    // Positions are offsets into Text(); an empty selection has both equal.
    void Select(int anchor, int caret);
    void SelectAll() { Select(0, static_cast<int>(m_text.size())); }
    QString SelectedText() const;
    // The selection to the clipboard (nothing without one).
    void Copy() const;
    // The offset whose character is nearest to a point of the viewport.
    int OffsetAt(QPoint viewportPoint) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    struct Row {
        int start;
        int length;
    };
    // Rows for the viewport's width, the scroll range to match.
    void Layout();
    double CharWidth() const;
    int Columns() const;
    int RowHeight() const;
    int VisibleRows() const;
    // A row laid out once: a streaming device shows the same rows again and
    // again, and shaping them is most of what drawing them costs.
    const QStaticText& Shaped(const QString& row);
    // A row of characters the font holds, each one cell wide, as glyphs
    // placed one cell apart: what shaping would make of it, without the
    // shaping. Nothing for a row that needs more (a character from another
    // font, a glyph of another width).
    std::optional<QGlyphRun> Glyphs(const QString& row);
    struct Cells {
        bool known = false;
        bool usable = false;
        QRawFont raw;
        qreal advance = 0;
        std::array<quint32, 256> glyph {};
    };

    QString m_text;
    std::vector<Row> m_rows;
    int m_maxLines = 4000;
    int m_anchor = 0;
    int m_caret = 0;
    bool m_stickToEnd = true;   // keep the last row in view as rows change
    QHash<QString, QStaticText> m_shaped;   // for the current font
    Cells m_cells;                          // for the current font
};
