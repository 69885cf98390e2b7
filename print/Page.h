// The print page: the printable area of one sheet, addressed in inches.
// Rows run down from the top edge of the printable area, columns across
// from its left edge; the page converts them with the device's resolution.
// Pages that place things in device units draw on GetDC() directly.
#pragma once

#include "platform/CString.h"
#include "platform/Geometry.h"
#include "platform/Types.h"

#include <utility>
#include <vector>

class CDC;

class CPage {
public:
    // dc is the printer (or any) DC the page draws on; it must outlive the page.
    explicit CPage(CDC* dc);
    CPage(const CPage&) = delete;
    CPage& operator=(const CPage&) = delete;

    // One left-aligned line of text (flags 0x80) at the given row and column
    // in a sans-serif font of `points` size, a line break of the text
    // standing as a blank; returns the row below it.
    // Where text fields are set, the column is measured in its field (below).
    double PrintText(double row, double column, UINT flags, int points, const char* text);

    // Where texts stand on a sheet divided by frame lines, in page units. A
    // text belongs to the last field whose rows hold its row and whose
    // firstColumn is not past its column; it starts (column - firstColumn)
    // inches right of the field's left edge, and a text too long for the
    // field is cut at its right edge, a whole character at a time. Texts in
    // no field count their column from the printable area's left edge.
    struct TextField {
        double firstColumn = 0.0;
        double top = 0.0, left = 0.0, bottom = 0.0, right = 0.0;
    };
    void SetTextFields(std::vector<TextField> fields) { m_fields = std::move(fields); }
    // A frame between the two corners, or a line when two coordinates
    // coincide. width 1, 2 or 5 (in 150ths of an inch); style 0 solid, 2 dotted.
    void DrawFrame(double row1, double column1, double row2, double column2, int width, int style);
    // A .bmp file stretched into the rectangle (page units). False, with
    // nothing drawn, when the file is missing or not a bitmap.
    bool PrintBitmapFile(double top, double left, double bottom, double right, const char* path);
    // The same with the rectangle already in device units.
    bool PrintBitmap(int top, int left, int bottom, int right, const char* path);

    CDC* GetDC() const { return m_pDC; }
    int GetDpiX() const { return m_dpiX; }
    int GetDpiY() const { return m_dpiY; }
    int RowToDevice(double row) const;
    int ColumnToDevice(double column) const;
    // Where the last bitmap went, in device units (normalised).
    CRect GetLastBitmapRect() const { return m_lastBitmapRect; }
    CString GetLastBitmapPath() const { return m_lastBitmapPath; }

    // A relative bitmap name not found in the current directory is looked
    // up here (the program's data folder).
    static void SetBitmapFallbackDir(const CString& dir);
    static CString ResolveBitmapPath(const char* path);

private:
    const TextField* FieldOf(double row, double column) const;

    CDC* m_pDC;
    std::vector<TextField> m_fields;
    int m_dpiX = 600;
    int m_dpiY = 600;
    CRect m_lastBitmapRect;
    CString m_lastBitmapPath;
};

constexpr UINT TEXT_LEFT_LINE = 0x80;
