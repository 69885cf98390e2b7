#include "measure/ChannelConfig.h"

#include "platform/Numbers.h"

#include <vector>

CString ChannelConfigKey(int index)
{
    return CString::Formatted("KANAL %d", index);
}

bool ParseChannelConfig(const CString& value, ChannelRecord& record)
{
    if (value.IsEmpty())
        return false;
    std::vector<std::string> fields;
    std::string field;
    for (char c : value.str()) {
        if (c == ';') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    fields.resize(4);
    record.m_iChannelId = vx::StrToInt(fields[0].c_str());
    record.m_iOperator = vx::StrToInt(fields[1].c_str());
    record.m_bActive = vx::StrToInt(fields[2].c_str()) == 1 ? 1 : 0;
    record.m_dOperand = vx::StrToDouble(fields[3].c_str());
    return true;
}

CString FormatChannelConfig(int channelId, int operatorIndex, int active, double operand)
{
    // The profile is read back with atof semantics in the C locale.
    return CString(vx::Format("%d; %d; %d; %f", channelId, operatorIndex, active, operand));
}

bool AnyChannelActive(const ChannelRecord* table, int count)
{
    for (int i = 0; table && i < count; ++i)
        if (table[i].m_bActive)
            return true;
    return false;
}
