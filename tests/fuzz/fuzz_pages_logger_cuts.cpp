// Differential: the data logger read-out ('A': header to ETX, the mode line,
// the records until the line goes quiet), once with the device's bytes
// whole and once cut where the fuzzer says, the pieces less than the
// silence that ends the records apart. Header, mode, records and the
// read-out's state must match; also where the answer outgrows its bound,
// which the fuzzer may put within its few hundred bytes.
#include "pages/LoggerReadout.h"
#include "tests/fuzz/Cuts.h"
#include "tests/measure/ManualDeviceLink.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Host : public ManualLink<CLoggerHost> {
public:
    std::vector<std::string> boxes;
    void SetBusy(bool) override {}
    void ShowReadButton(bool) override {}
    void ShowTexts() override {}
    void ShowBox(const CString& text) override { boxes.push_back(text.str()); }
    bool IsPortOnline() override { return true; }
    CString LanguageText(UINT id) override { return CString(std::to_string(id)); }
};

std::string Outcome(const std::vector<cuts::Piece>& stream, int answerBound)
{
    Host host;
    CLoggerReadout logger(host, answerBound);
    host.onTimer = [&logger](UINT id) { logger.OnLoggerTimer(id); };
    host.onData = [&logger](int n) { logger.OnDataReceived(n); };
    host.device = [&](char b, UINT t) {
        if (b != 'A')
            return;
        for (const cuts::Piece& p : stream) {
            t += p.gapMs;
            host.Deliver(t + 5, p.bytes);
        }
    };
    logger.StartLoggerReadout();
    host.RunUntil(60000);
    std::string o = logger.GetHeaderText().str() + '|' + logger.GetModeText().str() + '|'
        + logger.GetRecordText().str() + '|' + std::to_string(logger.IsManualMode())
        + std::to_string(logger.IsReadoutRunning()) + std::to_string(int(logger.GetHandler()));
    for (const std::string& b : host.boxes)
        o += '|' + b;
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    std::string stream;
    if (in.ConsumeBool()) {
        // Laid out as the device does: header, ETX, a mode line, records.
        stream = "\r\n" + cuts::Bytes(in, 40);
        std::erase(stream, '\x03');
        stream += '\x03';
        static const char* const kModes[] = {"LOGG aus", "HAND    ", "AUTO 10 s       ", "TRIGGER2", "KURVE   "};
        stream += kModes[in.ConsumeIntegralInRange<int>(0, 4)];
        stream += "\r\n";
    }
    stream += cuts::Bytes(in, 300);
    const std::vector<cuts::Piece> cut = cuts::Cut(in, stream, 10, 300);
    // Taken last, so an input that ends before it keeps the real bound.
    const int bound = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, 400) : CLoggerReadout::kAnswerBound;
    cuts::Same(Outcome(cuts::Whole(stream), bound), Outcome(cut, bound));
    return 0;
}
