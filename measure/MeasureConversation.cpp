#include "measure/MeasureConversation.h"

namespace {
constexpr COLORREF kCurveColor = 0xFF0000; // blue in 0x00BBGGRR
// The start wait only swallows the key echoes; anything beyond this is noise.
constexpr int kCollectCap = 4096;
} // namespace

CMeasureConversation::CMeasureConversation(CMeasureHost& host, MeasureRecord& record)
    : m_host(host), m_rec(record), m_mode(LookupSampleMode(record.m_bySampleMode, record.m_byAutoRate))
{
}

void CMeasureConversation::ArmTimer(TimerStep step, UINT ms)
{
    m_timerStep = step;
    m_host.SetTimer(kTimerId, ms);
}

void CMeasureConversation::OnStart()
{
    m_host.EnableTabs(false);
    if (m_bRunning) {
        m_host.SendCommandByte(DeviceCmd::KeyEnter);
        m_host.EnableTabs(true);
        return;
    }
    // A measurement that ended without Stop (line end mark) may still have
    // its value requests running.
    m_host.StopValueRequests();
    m_host.ReceiveText().Empty();
    m_host.LoadChannelConfig();
    m_host.SendCommandByte(DeviceCmd::KeyEsc);
    // The ESC's display line must be over before 'C' goes out: on a slow
    // line its last bytes would otherwise open the sensor answer. 'C' waits
    // for the line to be quiet for the usual 250 ms, but not past the cap.
    m_answerStep = AnswerStep::Settle;
    ArmTimer(TimerStep::RequestSensor, kAnswerTimeoutMs);
    m_host.SetTimer(kCapTimerId, kAnswerCapMs);
}

void CMeasureConversation::OnStop()
{
    ++m_nEnds;
    // Values the device sent before the click are the measurement's own.
    if (m_bRunning)
        m_host.TakeReceived();
    // The conversation ends first and always: a late answer, or one that
    // arrives while a box below is open, must not resume it.
    m_answerStep = AnswerStep::Ignore;
    m_host.KillTimer(kTimerId);
    m_host.KillTimer(kCapTimerId);
    m_timerStep = TimerStep::None;
    m_bEndMarkSeen = false;
    m_host.StopValueRequests();
    m_host.EnableTabs(true);
    m_host.ShowStartButton(true);
    m_host.ShowDeviceButtons(true);
    if (m_bRunning || m_bBegan) {
        m_bRunning = false;
        m_bBegan = false;
        if (m_bNewData) {
            // Values that came after the last refresh still reach the chart.
            m_bNewData = false;
            UpdateCurves();
            m_host.ShowValueText(m_strValueText);
        }
        m_host.SendCommandByte(DeviceCmd::KeyEsc);
        m_host.EnableMenuItem(MenuItem::FileSave, true);
        m_host.SetXRange(0.0, m_dLastX);
    } else {
        m_host.SendCommandByte(DeviceCmd::KeyEsc);
    }
}

void CMeasureConversation::OnActivate()
{
    ++m_nEnds;
    m_host.StopValueRequests();
    m_host.KillTimer(kTimerId);
    m_host.KillTimer(kCapTimerId);
    m_timerStep = TimerStep::None;
    m_answerStep = AnswerStep::Ignore;
    m_bRunning = false;
    m_bBegan = false;
    m_host.SendCommandByte(DeviceCmd::KeyEsc);
}

bool CMeasureConversation::CheckPort()
{
    const bool active = m_bRunning || m_bBegan || m_timerStep != TimerStep::None || m_answerStep != AnswerStep::Ignore;
    if (!active || m_host.PortState() == 0)
        return false;
    // Stop first: the box is modal, and the value requests must not keep
    // writing into a port that is gone while it shows.
    OnStop();
    m_host.ShowBox(MeasureText::kPortGone, CString());
    return true;
}

void CMeasureConversation::OnDeviceButton(int controlId)
{
    char key = 0;
    switch (controlId) {
    case 1053: key = DeviceCmd::ControlOn; break;
    case 1054: key = DeviceCmd::ControlOff; break;
    case 1055: key = DeviceCmd::Tare; break;
    case 1056: key = DeviceCmd::MinReset; break;
    case 1057: key = DeviceCmd::MaxReset; break;
    default: return;
    }
    m_host.SendCommandByte(key);
}

void CMeasureConversation::OnMMTimer()
{
    if (m_bTickBusy.exchange(true))
        return;
    RequestValue();
    m_bTickBusy.store(false);
}

void CMeasureConversation::RequestValue()
{
    // No pacing pause here: the tick is the pace.
    m_host.PutBytes(CString(DeviceCmd::ValueRequest));
}

void CMeasureConversation::OnAnswerIgnore()
{
    m_host.ReceiveText().Empty();
}

void CMeasureConversation::OnCollectAnswer(int n)
{
    CString& rx = m_host.ReceiveText();
    m_strCollected += rx;
    rx.Empty();
    if (m_strCollected.GetLength() > kCollectCap)
        m_strCollected.Empty();
    AnswerGrew(n);
}

void CMeasureConversation::OnDataReceived(int byteCount)
{
    const int n = byteCount < 0 ? 0 : byteCount;
    switch (m_answerStep) {
    case AnswerStep::Ignore: OnAnswerIgnore(); break;
    case AnswerStep::Settle: OnSettleData(n); break;
    case AnswerStep::Sensor: OnFixedLengthAnswer(n, kSensorAnswerBytes); break;
    case AnswerStep::StatusLong: OnFixedLengthAnswer(n, kStatusLongAnswerBytes); break;
    case AnswerStep::Header: OnHeaderAnswer(n, false); break;
    case AnswerStep::Version: OnVersionAnswer(n, false); break;
    case AnswerStep::Collect: OnCollectAnswer(n); break;
    case AnswerStep::FastStream: ParseFast(); break;
    case AnswerStep::SlowStream: ParseSlow(); break;
    }
}

void CMeasureConversation::OnTimer(UINT id)
{
    if (id == kCapTimerId) {
        OnTimerCap();
        return;
    }
    if (id != kTimerId)
        return;
    m_host.KillTimer(kTimerId);
    const TimerStep step = m_timerStep;
    m_timerStep = TimerStep::None;
    switch (step) {
    case TimerStep::None: break;
    case TimerStep::RequestSensor: StepRequestSensor(); break;
    case TimerStep::AnswerTimeout: OnAnswerTimeout(); break;
    case TimerStep::AnswerSettled: OnAnswerSettled(); break;
    case TimerStep::StartDevice: StepStartDevice(); break;
    case TimerStep::StartWaitEnds: StepStartWaitEnds(); break;
    case TimerStep::BeginWhenQuiet:
    case TimerStep::BeginMeasuring: StepBeginMeasuring(); break;
    case TimerStep::Refresh: StartRefresh(); break;
    }
}

void CMeasureConversation::OnTimerCap()
{
    m_host.KillTimer(kCapTimerId);
    if (m_timerStep == TimerStep::RequestSensor) {
        // The line never went quiet after Start's ESC: no answer could be
        // told from what keeps coming. Unless the port is off, that is the
        // sensor request's time-out.
        m_host.KillTimer(kTimerId);
        m_timerStep = TimerStep::None;
        if (m_host.PortState() != 0)
            StepRequestSensor(); // says the port is off
        else
            AnswerFailed();
    } else if (m_timerStep == TimerStep::AnswerTimeout || m_timerStep == TimerStep::AnswerSettled) {
        // An answer still growing at the cap, or a line that never went
        // quiet after it, has not come as it must.
        AnswerFailed();
    } else if (m_timerStep == TimerStep::BeginWhenQuiet) {
        m_host.KillTimer(kTimerId);
        m_timerStep = TimerStep::None;
        StepBeginMeasuring();
    }
}

void CMeasureConversation::OnSettleData(int n)
{
    OnAnswerIgnore();
    AnswerGrew(n);
}

void CMeasureConversation::SendRequest(char command, AnswerStep step)
{
    m_host.ReceiveText().Empty();
    m_nAnswerBytes = 0;
    ArmTimer(TimerStep::AnswerTimeout, kAnswerTimeoutMs);
    m_host.SetTimer(kCapTimerId, kAnswerCapMs);
    m_strAnswer.Empty();
    m_answerStep = step;
    m_host.SendCommandByte(command);
}

void CMeasureConversation::AnswerGrew(int n)
{
    if (n <= 0)
        return;
    // A slow line: the time-out counts silence, not the whole answer.
    switch (m_timerStep) {
    case TimerStep::AnswerTimeout:
    case TimerStep::RequestSensor:
    case TimerStep::BeginWhenQuiet: m_host.SetTimer(kTimerId, kAnswerTimeoutMs); break;
    case TimerStep::AnswerSettled: m_host.SetTimer(kTimerId, kFixedAnswerQuietMs); break;
    default: break;
    }
}

void CMeasureConversation::EndAnswer()
{
    m_host.KillTimer(kTimerId);
    m_host.KillTimer(kCapTimerId);
    m_timerStep = TimerStep::None;
}

void CMeasureConversation::StepRequestSensor()
{
    m_host.KillTimer(kCapTimerId);
    if (m_host.PortState() != 0) {
        m_answerStep = AnswerStep::Ignore;
        m_host.EnableTabs(true);
        m_host.ShowBox(0, MeasureText::kPortOff);
        return;
    }
    SendRequest(DeviceCmd::SensorParameters, AnswerStep::Sensor);
}

void CMeasureConversation::OnFixedLengthAnswer(int n, int length)
{
    m_nAnswerBytes += static_cast<unsigned>(n);
    // Once its length came, the quiet line decides: any byte more, before
    // or after it, leaves no place where the answer is known to start.
    if (m_timerStep == TimerStep::AnswerTimeout && m_host.ReceiveText().GetLength() >= length)
        ArmTimer(TimerStep::AnswerSettled, kFixedAnswerQuietMs);
    else
        AnswerGrew(n);
}

void CMeasureConversation::OnAnswerSettled()
{
    if (m_answerStep == AnswerStep::Header) {
        RequestVersion();
        return;
    }
    const bool sensor = m_answerStep == AnswerStep::Sensor;
    CString answer;
    if (!TakeExactLengthAnswer(m_host.ReceiveText(), sensor ? kSensorAnswerBytes : kStatusLongAnswerBytes, answer)) {
        // Decoded one place off, every value would be shown wrong and look
        // right: the record keeps what it held.
        AnswerFailed();
        return;
    }
    EndAnswer();
    m_strAnswer = answer;
    if (sensor)
        OnSensorAnswer(answer);
    else
        OnStatusLongAnswer(answer);
}

void CMeasureConversation::OnSensorAnswer(const CString& answer)
{
    const SensorAnswer sensor = DecodeAnswer(answer);
    if (sensor.refused) {
        m_answerStep = AnswerStep::Ignore;
        m_host.ShowBox(MeasureText::kSensorRefused, CString());
        OnStop();
        return;
    }
    ApplySensorAnswer(sensor, m_rec);
    SendRequest(DeviceCmd::StatusLong, AnswerStep::StatusLong);
}

void CMeasureConversation::OnStatusLongAnswer(const CString& answer)
{
    // Copied as they are: a mode the table does not know reads as "SCI aus".
    DecodeStatusLong(answer.str(), m_rec);
    SendRequest(DeviceCmd::ReadHeader, AnswerStep::Header);
}

void CMeasureConversation::OnHeaderAnswer(int n, bool timedOut)
{
    // The header may come in pieces: it is complete at its ETX, or when the
    // line went quiet after some of it came. Whatever follows its ETX is
    // neither the header's nor the version's: 'V' goes out only once the
    // line is quiet again, however the reader cut those bytes.
    m_nAnswerBytes += static_cast<unsigned>(n);
    if (m_timerStep == TimerStep::AnswerSettled) {
        AnswerGrew(n);
        return;
    }
    const CString& rx = m_host.ReceiveText();
    if (FindAnswerEtx(rx) < 0 && !timedOut) {
        AnswerGrew(n);
        return;
    }
    m_strHeader = ExtractHeaderAnswer(rx);
    if (timedOut) {
        // Silence already came.
        RequestVersion();
        return;
    }
    ArmTimer(TimerStep::AnswerSettled, kFixedAnswerQuietMs);
}

void CMeasureConversation::RequestVersion()
{
    EndAnswer();
    SendRequest(DeviceCmd::Version, AnswerStep::Version);
}

void CMeasureConversation::OnVersionAnswer(int n, bool timedOut)
{
    m_nAnswerBytes += static_cast<unsigned>(n);
    const CString& rx = m_host.ReceiveText();
    // The version line, past whatever lines came late before it; without
    // its line end, what may still become it once the line went quiet.
    const VersionLineScan line = ScanVersionLine(rx);
    if (line.end >= 0) {
        TakeVersion(rx.Mid(line.begin, line.end - line.begin));
    } else if (!timedOut) {
        AnswerGrew(n);
    } else if (rx.GetLength() - line.begin >= kVersionAnswerMinBytes) {
        TakeVersion(rx.Mid(line.begin));
    } else {
        AnswerFailed();
    }
}

void CMeasureConversation::TakeVersion(const CString& line)
{
    EndAnswer();
    DecodeVersion(line.str(), m_rec);
    m_rec.m_bIdentified = 1;
    m_host.ReceiveText().Empty();
    m_strAnswer.Empty();
    m_answerStep = AnswerStep::Ignore;
    ArmTimer(TimerStep::StartDevice, kHandOverMs);
}

void CMeasureConversation::OnAnswerTimeout()
{
    m_host.KillTimer(kCapTimerId);
    // The header has no length of its own: some of it and then silence is
    // all of it. A version line without its end is decided on silence.
    if (m_answerStep == AnswerStep::Header && m_nAnswerBytes > 0)
        OnHeaderAnswer(0, true);
    else if (m_answerStep == AnswerStep::Version)
        OnVersionAnswer(0, true);
    else
        AnswerFailed();
}

void CMeasureConversation::AnswerFailed()
{
    EndAnswer();
    // Steps first: the box is modal and data keep arriving while it shows.
    // Whatever of the failed answer came is not the device's answer.
    m_answerStep = AnswerStep::Ignore;
    m_host.ReceiveText().Empty();
    m_strAnswer.Empty();
    m_host.EnableTabs(true);
    m_host.ShowBox(MeasureText::kTimeout, " 1");
    ArmTimer(TimerStep::StartDevice, kHandOverMs);
}

void CMeasureConversation::StepStartDevice()
{
    m_strAnswer.Empty();
    m_strCollected.Empty();
    m_answerStep = AnswerStep::Collect;
    SendStartKeys();
    // Where the device streams at its own pace, values follow the keys'
    // display lines at once, and the wait is the fixed one. Elsewhere it
    // sends nothing unasked, so its last 250 ms count silence.
    if (DeviceSendsUnasked(m_rec.m_bySampleMode))
        ArmTimer(TimerStep::BeginMeasuring, kStartWaitMs);
    else
        ArmTimer(TimerStep::StartWaitEnds, kStartWaitMs - kAnswerTimeoutMs);
}

void CMeasureConversation::StepStartWaitEnds()
{
    // On a slow line the keys' display lines may outlast the start wait;
    // read as values they would be frames of blanks. Measuring begins only
    // once they are over, but not past the cap.
    ArmTimer(TimerStep::BeginWhenQuiet, kAnswerTimeoutMs);
    m_host.SetTimer(kCapTimerId, kAnswerCapMs);
}

void CMeasureConversation::SendStartKeys()
{
    // From any screen back home, then into the measuring screen.
    for (int i = 0; i < DeviceCmd::HomeKeyCount; ++i)
        m_host.SendCommandByte(DeviceCmd::KeyEsc);
    m_host.SendCommandByte(DeviceCmd::KeyEnter);
    m_host.SendCommandByte(DeviceCmd::KeyEnter);
}

void CMeasureConversation::StepBeginMeasuring()
{
    m_host.KillTimer(kCapTimerId);
    m_rec.m_bMeasuring = 1;
    m_strYTitle = m_rec.m_strUnit.GetLength() > 2 ? m_rec.m_strUnit.Left(3) : CString();
    m_strYTitle.Trim();
    m_bAxisSetUp = false;
    m_host.EnableMenuItem(MenuItem::FileOpen, false);
    m_host.EnableMenuItem(MenuItem::FileSave, false);
    m_host.EnableMenuItem(MenuItem::Print, true);
    // A sensor answer that never came leaves no format: whole numbers then,
    // on the value display and on the Y axis alike.
    if (m_rec.m_strDisplayFormat.IsEmpty())
        m_rec.m_strDisplayFormat = "%.0f ";
    if (m_rec.m_iDecimalDivisor == 0)
        m_rec.m_iDecimalDivisor = 1;
    m_scale = ValueScale{m_rec.m_iDecimalDivisor, CAlgebra::OperatorFor(m_rec.m_iOperator), m_rec.m_dOperand};
    DisableInactiveSinks();
    SelectSampleMode();
    m_host.ShowModeLabel(m_mode.label);
    m_strValueText.Empty();
    m_host.ShowValueText(m_strValueText);
    m_dLastX = 0.0;
    m_bRunning = true;
    m_bBegan = true;
}

void CMeasureConversation::DisableInactiveSinks()
{
    // Values of a run nobody charts are still parsed and shown as text.
    m_bSinkActive = m_host.AnyChannelActive();
}

void CMeasureConversation::SelectSampleMode()
{
    m_strAnswer.Empty();
    m_bNewData = false;
    m_bEndMarkSeen = false;
    ArmTimer(TimerStep::Refresh, kFirstRefreshMs);
    m_host.ShowStartButton(false);
    m_mode = LookupSampleMode(m_rec.m_bySampleMode, m_rec.m_byAutoRate);
    // Without a parser nothing may pile up in the receive text.
    m_answerStep = AnswerStep::Ignore;
    if (m_mode.stream == StreamKind::Frame)
        InstallFastParser();
    else if (m_mode.stream == StreamKind::Line)
        InstallSlowParser();
    if (m_mode.pcPaced) {
        m_host.ShowDeviceButtons(false);
        m_host.StartValueRequests(kValueRequestPeriodMs);
    }
    m_host.SetXAxisTitle(m_mode.xTitle);
    m_host.ClearCurve(0);
    m_host.MarkMeasureStart();
}

void CMeasureConversation::InstallFastParser()
{
    if (m_rec.m_iDeviceVariant == 700)
        m_answerStep = AnswerStep::FastStream;
    else
        m_host.ShowBox(0, MeasureText::kNoFrameParser);
}

void CMeasureConversation::InstallSlowParser()
{
    if (m_rec.m_iDeviceVariant == 700)
        m_answerStep = AnswerStep::SlowStream;
    else
        m_host.ShowBox(0, MeasureText::kNoLineParser);
}

void CMeasureConversation::StartRefresh()
{
    // What the port has read so far comes first: the chart shows the
    // values up to now, and the port needs no wake-up of its own for them.
    // They may end the conversation (the device's end mark, a Stop from a
    // box); a refresh must not outlive it.
    const unsigned ends = m_nEnds;
    m_host.TakeReceived();
    if (ends != m_nEnds)
        return;
    if (CheckPort())
        return;
    ArmTimer(TimerStep::Refresh, kRefreshMs);
    if (m_bNewData) {
        m_bNewData = false;
        UpdateCurves();
        const RefreshView view = DecideRefreshView(m_mode.stepX, m_mode.followPoints, m_dLastX);
        if (view.follow) {
            m_host.SetFollowWidth(view.followWidth);
            m_host.SetScrollMode(1);
        } else {
            m_host.SetScrollMode(0);
            m_host.SetXRange(view.xFrom, view.xTo);
        }
        m_host.ShowValueText(m_strValueText);
    }
    CheckEndMark();
}

void CMeasureConversation::CheckEndMark()
{
    if (!m_bEndMarkSeen || ++m_nEndMarkTicks < 2)
        return;
    m_bEndMarkSeen = false;
    if (m_answerStep == AnswerStep::FastStream) {
        OnStop();
    } else if (m_answerStep == AnswerStep::SlowStream) {
        // The device ended the run; Stop stays the user's.
        m_bRunning = false;
        m_answerStep = AnswerStep::Ignore;
    }
}

void CMeasureConversation::UpdateCurves()
{
    if (!m_bSinkActive)
        return;
    m_host.ShowCurve(0, m_rec.m_bActive != 0);
    if (!m_bAxisSetUp) {
        m_bAxisSetUp = AxisSetUpReached(m_mode.stepX, m_dLastX);
        m_host.SetYAxisTitle(m_strYTitle);
        m_host.SetYAxisLabel(m_rec.m_strDisplayFormat);
        m_host.SetCurveLabel(MeasureText::kCurveLabel);
        m_host.SetCurveColor(kCurveColor);
        m_host.SetYAxisFlag(true);
    }
}

void CMeasureConversation::AddValue(double value)
{
    if (m_bSinkActive) {
        m_host.AddPoint(0, m_dLastX, value);
        m_dLastX += m_mode.stepX;
    }
    m_bNewData = true;
}

void CMeasureConversation::ParseFast()
{
    CString& rx = m_host.ReceiveText();
    // Bytes after a lone CR LF show it was no end mark: a frame whose
    // reading is 0x0D0A split after its first half, or stray bytes the
    // parser steps over as it would have in one chunk.
    const FastStreamResult r = ParseFastStream(rx.str());
    for (int reading : r.readings)
        AddValue(ConvertFrameReading(reading, m_scale));
    if (!r.readings.empty())
        m_strValueText = FormatValueText(m_rec.m_strDisplayFormat, ConvertFrameReading(r.readings.back(), m_scale),
                                         m_rec.m_strUnit);
    rx.str().erase(0, r.consumed);
    NoteEndMark(r.endMark);
}

void CMeasureConversation::NoteEndMark(bool seen)
{
    // Called for every chunk: bytes came, so the silence starts over.
    m_nEndMarkTicks = 0;
    m_bEndMarkSeen = seen;
}

void CMeasureConversation::ParseSlow()
{
    CString& rx = m_host.ReceiveText();
    if (rx.IsEmpty())
        return;
    const SlowStreamResult r = ParseSlowStream(rx.str());
    rx.str().erase(0, r.consumed);
    for (const CString& chars : r.values) {
        const double v = ConvertLineValue(chars, m_scale);
        m_strValueText = FormatValueText(m_rec.m_strDisplayFormat, v, m_rec.m_strUnit);
        AddValue(v);
    }
    // Slow modes deliver a value every second or less often: show it now.
    if (!r.values.empty())
        m_host.ShowValueText(m_strValueText);
    NoteEndMark(r.endMark);
}
