#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

class CPortMan;

// One of the main dialog's ten channel records. Only record 0 ever holds a
// port manager; the others are configuration only.
struct ChannelRecord {
    int m_iChannelId = 65535;          // 65535: no channel configured
    CPortMan* m_pPortMan = nullptr;
    int m_iOperator = 0;
    double m_dOperand = 0.0;
    BYTE m_bActive = 0;
    BYTE m_bMeasuring = 0;
    BYTE m_bCurveUpdate = 0;
    int m_iDecimalDivisor = 1;
    int m_iSensorType = 0;
    int m_iNominal = 0;
    CString m_strDisplayFormat;
    CString m_strSensorName;
    CString m_strUnit;
    // Bytes 2..5 of the long-status answer: rate code, kept, sample mode,
    // AUTO rate. Until the device reported its mode, the record holds one
    // that no table knows: a run after a status answer that did not come
    // reads as "SCI aus" and asks for nothing, instead of polling in a mode
    // the device never gave.
    static constexpr BYTE kSampleModeNotReported = 0xFF;
    BYTE m_byRateCode = 0;
    BYTE m_byStatus2 = 0;
    BYTE m_bySampleMode = kSampleModeNotReported;
    BYTE m_byAutoRate = 0;
    int m_iDeviceVariant = 0;
    int m_iFirmwareVersion = 0;
    int m_bIdentified = 0;
};

constexpr int kChannelCount = 10;
constexpr int kReceiveTextCount = 4;
