// Field-by-field encoding of the fixed records inside the chart's stored
// objects: fonts, value bands and value markers. Structures are never
// copied as raw memory, so padding and pointers never reach a file and
// texts are always terminated when read back.
#pragma once

#include "platform/Archive.h"
#include "platform/Gdi.h"

struct PlotValueBand;
struct PlotValueMarker;

namespace PlotRecords {

void WriteLogFont(CArchive& ar, const LOGFONT& lf);   // 60 bytes
void ReadLogFont(CArchive& ar, LOGFONT& lf);
void WriteBand(CArchive& ar, const PlotValueBand& b);  // 288 bytes
void ReadBand(CArchive& ar, PlotValueBand& b);
void WriteMarker(CArchive& ar, const PlotValueMarker& m);  // 88 bytes
void ReadMarker(CArchive& ar, PlotValueMarker& m);
void WriteZeros(CArchive& ar, int n);
void Skip(CArchive& ar, int n);
// A stored count that the rest of the file cannot hold is damage, not a
// reason to allocate: throws the archive's end-of-file error.
void CheckCount(CArchive& ar, unsigned long long count, unsigned recordSize);

}  // namespace PlotRecords
