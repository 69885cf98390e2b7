#include "pages/VersionLine.h"

namespace {

bool EndsInDigit(const CString& text, int begin, int end)
{
    while (end > begin && (text[end - 1] == '\r' || text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return end > begin && text[end - 1] >= '0' && text[end - 1] <= '9';
}

} // namespace

VersionLineScan ScanVersionLine(const CString& text)
{
    int begin = 0;
    for (;;) {
        const int lf = text.Find('\n', begin);
        // Checked on complete lines too, so a long line is cut at the same
        // place whether its end came with it or later.
        if ((lf < 0 ? text.GetLength() : lf) - begin >= kVersionLineCap)
            return {begin, begin + kVersionLineCap};
        if (lf < 0)
            return {begin, -1};
        if (EndsInDigit(text, begin, lf))
            return {begin, lf + 1};
        begin = lf + 1;
    }
}
