// Differential: a read of the date or of the company header, right after
// five home keys; once with the keys' display lines on time and the answer
// whole, once with the display lines late and in pieces and the answer cut.
// What the field shows, the boxes and the bytes sent must match.
#include "pages/DateHeaderLogic.h"
#include "tests/fuzz/Cuts.h"
#include "tests/measure/ManualDeviceLink.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Host : public ManualLink<CDeviceTextHost> {
public:
    std::string seen;
    void ShowText(const CString& t) override { seen += '[' + t.str() + ']'; }
    void EnableWrite(bool) override {}
    void ShowFailure(UINT id) override { seen += '#' + std::to_string(id); }
    bool IsPortOnline() override { return true; }
    bool IsShown() override { return true; }
};

std::string Outcome(CDeviceTextRead::Kind kind, const std::vector<cuts::Piece>& answer, unsigned lateMs,
                    std::size_t echoPiece)
{
    Host host;
    CDeviceTextRead read(host, kind);
    host.onTimer = [&read](UINT id) { read.OnTimer(id); };
    host.onData = [&read](int) { read.OnDataReceived(); };
    UINT lineFree = 0;
    host.device = [&](char b, UINT t) {
        UINT due = std::max<UINT>(t + 5 + (b == 'n' ? lateMs : 0), lineFree);
        if (b == 'n') {
            const std::string echo = "MESSEN  \r\n";
            for (std::size_t i = 0; i < echo.size(); i += echoPiece)
                host.Deliver(due++, echo.substr(i, echoPiece));
        } else {
            for (const cuts::Piece& p : answer)
                host.Deliver(due += p.gapMs, p.bytes);
        }
        lineFree = due;
    };
    host.SendHomeKeys();
    read.Start();
    host.RunUntil(30000);
    return host.seen + '|' + host.SentText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto kind = in.ConsumeBool() ? CDeviceTextRead::Kind::Header : CDeviceTextRead::Kind::Date;
    const std::string answer = cuts::Bytes(in, 200);
    const std::vector<cuts::Piece> answerCut = cuts::Cut(in, answer, 8, 500);
    const unsigned lateMs = in.ConsumeIntegralInRange<unsigned>(0, 1000);
    const std::size_t echoPiece = in.ConsumeIntegralInRange<std::size_t>(1, 10);
    cuts::Same(Outcome(kind, cuts::Whole(answer), 0, 10), Outcome(kind, answerCut, lateMs, echoPiece));
    return 0;
}
