// The date and company header pages without their windows: what they send
// and how they turn the device's answers into the texts they show.
#pragma once

#include "app/DeviceCommands.h"

// The 'b' answer as shown: its first 18 characters, double blanks made
// single.
CString DateAnswerText(const CString& receiveText);
// The 'd' answer as shown: every ETX removed, then the first two
// characters (the device's leading CR LF) dropped.
CString HeaderAnswerText(const CString& receiveText);
// Line breaks as the device keeps them: CR LF, whatever the edit produced.
CString HeaderTextWithDeviceLineBreaks(const CString& editText);

// Both requests empty the receive text the answer will land in first.
void ReadDeviceDate(CDeviceLink& link);
void ReadCompanyHeader(CDeviceLink& link);
// Sets the device clock to nowText (DeviceDateTimeText of the PC's local
// time) in one write; returns the text the date edit shows from now on.
CString WriteDeviceDate(CDeviceLink& link, const CString& nowText);
// Sends the header as one frame; returns the text that went out.
CString SendCompanyHeader(CDeviceLink& link, const CString& editText);
