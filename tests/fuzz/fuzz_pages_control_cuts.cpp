// Differential: the control page from its activation: the key echoes, the
// 'V' answer that tells the variants apart, then the display lines; once
// with the answer and the display bytes whole and once cut, with the keys'
// echoes late and in pieces. Variant, the display shown last and the
// conversation's state must match.
#include "pages/ControlPageLogic.h"
#include "tests/fuzz/Cuts.h"
#include "tests/measure/ManualDeviceLink.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Host : public ManualLink<CControlHost> {
public:
    int variant = 0;
    std::string display = "-";
    void SetDeviceVariant(int v) override { variant = v; }
    void ShowDisplayText(const CString& t) override { display = t.str(); }
    void ShowModelText() override {}
};

// The six ESC keys are echoed by a display line each, lateMs after the key
// and in pieces of echoPiece bytes, 1 ms apart; the 'V' answer follows the
// last echo on the line.
std::string Outcome(const std::vector<cuts::Piece>& answer, const std::vector<cuts::Piece>& display, unsigned lateMs,
                    std::size_t echoPiece)
{
    Host host;
    CControlConversation conv(host);
    host.onTimer = [&conv](UINT id) { conv.OnTimer(id); };
    host.onData = [&conv](int n) { conv.OnDataReceived(n); };
    UINT lineFree = 0;
    host.device = [&](char b, UINT t) {
        UINT due = std::max<UINT>(t + 5 + (b == 'n' ? lateMs : 0), lineFree);
        if (b == 'n') {
            const std::string echo = "  HOME  \r\n";
            for (std::size_t i = 0; i < echo.size(); i += echoPiece)
                host.Deliver(due++, echo.substr(i, echoPiece));
        } else if (b == 'V') {
            for (const cuts::Piece& p : answer)
                host.Deliver(due, p.bytes);
        }
        lineFree = due;
    };
    conv.OnActivate();
    UINT t = 3000;
    for (const cuts::Piece& p : display) {
        t += p.gapMs;
        host.Deliver(t, p.bytes);
    }
    host.RunUntil(t + 1000);
    return std::to_string(host.variant) + '|' + host.display + '|' + std::to_string(int(conv.GetHandler())) + '|'
        + host.SentText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string answer = cuts::Bytes(in, 40);
    const std::string display = cuts::Bytes(in, 200);
    const std::vector<cuts::Piece> answerCut = cuts::Cut(in, answer, 4, 0);
    const std::vector<cuts::Piece> displayCut = cuts::Cut(in, display, 8, 100);
    // A slow line: the keys' display lines still coming after 'V'.
    const unsigned lateMs = in.ConsumeIntegralInRange<unsigned>(0, 400);
    const std::size_t echoPiece = in.ConsumeIntegralInRange<std::size_t>(1, 10);
    cuts::Same(Outcome(cuts::Whole(answer), cuts::Whole(display), 0, 10),
               Outcome(answerCut, displayCut, lateMs, echoPiece));
    return 0;
}
