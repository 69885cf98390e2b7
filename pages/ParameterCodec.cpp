#include "pages/ParameterCodec.h"

namespace {

BYTE ByteAt(const CString& s, int i) { return s.bytes()[i]; }

WORD WordAt(const CString& s, int i) { return static_cast<WORD>(ByteAt(s, i) * 256 + ByteAt(s, i + 1)); }

CString DecimalText(unsigned value)
{
    CString t;
    t.Format("%u", value);
    return t;
}

} // namespace

ParameterKind ParameterKindOfType(int typeCode)
{
    if (typeCode >= 0x00 && typeCode <= 0x30)
        return ParameterKind::Aktiv;
    if (typeCode >= 0x40 && typeCode <= 0x70)
        return ParameterKind::Passiv;
    if (typeCode >= 0x80 && typeCode <= 0xA0)
        return ParameterKind::Strom;
    return ParameterKind::None;
}

UINT ParameterTypeTextId(int typeCode)
{
    if (typeCode == 0x00)
        return 5125;
    if (typeCode >= 0x10 && typeCode <= 0x30)
        return 5126;
    if (typeCode == 0x40)
        return 5127;
    if (typeCode >= 0x50 && typeCode <= 0x70)
        return 5128;
    if (typeCode >= 0x80 && typeCode <= 0xA0)
        return 5129;
    return 5130;
}

CString TypeTextFromCode(int typeCode, int langOffset, const ParameterTextLoader& load)
{
    CString text = load ? load(ParameterTypeTextId(typeCode) + static_cast<UINT>(langOffset)) : CString();
    text.AppendFormat("[%d]", typeCode);
    return text;
}

CString ParameterNominalText(BYTE high, BYTE low, int decimalsCode)
{
    CString digits;
    digits += static_cast<char>('0' + (high >> 4));
    digits += static_cast<char>('0' + (high & 15));
    digits += static_cast<char>('0' + (low >> 4));
    digits += static_cast<char>('0' + (low & 15));
    if (decimalsCode >= 1 && decimalsCode <= 3)
        digits.Insert(decimalsCode, ',');
    return digits;
}

bool DecodeFactoryWords(const CString& answer, WORD words[kFactoryWordCount])
{
    if (answer.GetLength() < kFactoryWordsUsed)
        return false;
    words[kPassivFirst] = WordAt(answer, 0);
    words[kPassivSecond] = WordAt(answer, 2);
    words[kAktivFirst] = WordAt(answer, 5);
    words[kAktivSecond] = WordAt(answer, 7);
    words[kStromFirst] = WordAt(answer, 10);
    words[kStromSecond] = WordAt(answer, 12);
    return true;
}

bool DecodeRowRecord(const CString& record, const WORD words[kFactoryWordCount], int langOffset,
                     const ParameterTextLoader& load, ParameterRowTexts& texts, ParameterRowRecord& rec)
{
    if (record.GetLength() < kRecordBytesUsed)
        return false;
    const SensorRecord fields = SplitSensorRecord(record);
    rec.decimalsCode = fields.typeAndDecimals & 0x0F;
    rec.typeCode = fields.typeAndDecimals & 0xF0;
    rec.raw0 = static_cast<WORD>(fields.zeroPoint[0] * 256 + fields.zeroPoint[1]);
    rec.raw100 = static_cast<WORD>(fields.fullPoint[0] * 256 + fields.fullPoint[1]);
    switch (ParameterKindOfType(rec.typeCode)) {
    case ParameterKind::Aktiv:
        rec.factoryFirst = words[kAktivFirst];
        rec.factorySecond = words[kAktivSecond];
        break;
    case ParameterKind::Passiv:
        rec.factoryFirst = words[kPassivFirst];
        rec.factorySecond = words[kPassivSecond];
        break;
    case ParameterKind::Strom:
        rec.factoryFirst = words[kStromFirst];
        rec.factorySecond = words[kStromSecond];
        break;
    case ParameterKind::None:
        rec.factoryFirst = 0;
        rec.factorySecond = 0;
        break;
    }

    texts.name = fields.name;
    texts.nominal = ParameterNominalText(fields.nominal[0], fields.nominal[1], rec.decimalsCode);
    texts.unit = fields.unit;
    texts.type = TypeTextFromCode(rec.typeCode, langOffset, load);
    texts.p0 = DecimalText(rec.raw0);
    texts.p100 = DecimalText(rec.raw100);
    return true;
}
