// The device's one-letter command set, the framed text transfers and the
// small "clock + port" seam that every device conversation talks through.
// Plain code: no window, no timer service, no port of its own.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <string_view>

namespace DeviceCmd {
constexpr char ValueRequest = '0';
constexpr char Tare = '3';
constexpr char MaxReset = '4';
constexpr char MinReset = '5';
constexpr char ControlOn = '6';
constexpr char ControlOff = '7';
constexpr char LoggerReadout = 'A';
constexpr char SensorParameters = 'C';
constexpr char Status = 'D';
constexpr char StatusLong = 'E';
constexpr char Version = 'V';
constexpr char FactoryWords = 'W';
constexpr char SetClock = 'a';
constexpr char ReadClock = 'b';
constexpr char SetHeader = 'c';
constexpr char ReadHeader = 'd';
constexpr char WriteRow = 'e';
constexpr char RequestRecord = 'f';
constexpr char KeyEnter = 'k';
constexpr char KeyUp = 'l';
constexpr char KeyDown = 'm';
constexpr char KeyEsc = 'n';

constexpr char Etx = 0x03;
// Every page send is followed by this pause on the UI thread; the device
// needs it between keys.
constexpr UINT PageSendPauseMs = 25;
// This many ESC keys bring the device back to its home menu from anywhere.
constexpr int HomeKeyCount = 5;
// Length of the row text inside an 'e' frame.
constexpr int RowTextLength = 22;
} // namespace DeviceCmd

// Check-byte pair closing the date and row frames: s1 is the byte sum mod
// 256, s2 the running sum of s1 with end-around carry.
struct CheckBytes {
    BYTE s1 = 0;
    BYTE s2 = 0;
};
CheckBytes TextCheckBytes(const CString& text);

// "dd.mm.yy hh:mm:ss" (17 characters): the clock text the device takes.
CString DeviceDateTimeText(int year, int month, int day, int hour, int minute, int second);

// Each frame is returned whole so it leaves in one write: a value request
// from the timer thread can then never land inside it.
// 'a' 0x00 text s1 s2
CString BuildDateFrame(const CString& dateTimeText);
// 'c' text ETX. The device ends the frame at the first ETX and would run
// whatever follows as commands, and a zero byte may end it early too, so
// both are taken out of the text (the read path drops ETX anyway).
CString BuildHeaderFrame(const CString& headerText);
// 'e' row+1 text s1 s2; the text is padded with blanks or cut to the 22
// bytes the device counts, so the frame is always 26 bytes long.
CString BuildRowFrame(int rowIndex, const CString& rowText);

// Connection mode 1 gives every channel its own port and receive text;
// otherwise everything goes through channel 0's. The same index picks the
// port to write to and the receive text to empty.
inline int TargetChannel(int connectionMode, int channel) { return connectionMode == 1 ? channel : 0; }

// What a device conversation needs of its page: the port, the clock and the
// receive text the answers land in. The page implements it over the port
// manager, the platform timer service and the shared receive texts (with the
// routing rule above applied); the tests implement it with a manual clock
// and a fake port.
class CDeviceLink {
public:
    virtual ~CDeviceLink() = default;

    // Direct send: the bytes in one write, no pause.
    virtual void PutBytes(const CString& bytes) = 0;
    // Blocks the UI thread; timers and data wait until it returns.
    virtual void Sleep(UINT ms) = 0;
    // Window-timer semantics: periodic until killed, re-arming restarts it.
    virtual void SetTimer(UINT id, UINT ms) = 0;
    virtual void KillTimer(UINT id) = 0;
    // The receive text the current answer accumulates in.
    virtual CString& ReceiveText() = 0;

    // Page send: the byte, then the pause.
    virtual void SendCommandByte(char code)
    {
        PutBytes(CString(code));
        Sleep(DeviceCmd::PageSendPauseMs);
    }
    void SendHomeKeys()
    {
        for (int i = 0; i < DeviceCmd::HomeKeyCount; ++i)
            SendCommandByte(DeviceCmd::KeyEsc);
    }
};
