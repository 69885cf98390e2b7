// The channel configuration the measure page reads before every Start:
// profile section "Messenkonfiguration", values "KANAL 0".."KANAL 3", each
// "channel id; operator; active; operand" as written by "%d; %d; %d; %f".
#pragma once

#include "app/ChannelRecord.h"

constexpr const char* kChannelConfigSection = "Messenkonfiguration";
constexpr int kChannelConfigKeys = 4;
// Records 0..6 can be shown; values are drawn only if one of them is active.
constexpr int kDrawableChannels = 7;

CString ChannelConfigKey(int index);
// An empty value leaves the record as it is (false). Otherwise the fields
// are read like atoi/atof (leading blanks skipped, 0 when a field has no
// number or is missing); active means the third field reads as exactly 1.
bool ParseChannelConfig(const CString& value, ChannelRecord& record);
// Always with '.' as decimal mark, whatever the desktop locale.
CString FormatChannelConfig(int channelId, int operatorIndex, int active, double operand);
bool AnyChannelActive(const ChannelRecord* table, int count = kDrawableChannels);
