// Differential: the control page from its activation: the key echoes, the
// 'V' answer that tells the variants apart, then the display lines; once
// with the answer and the display bytes whole and once cut. Variant, the
// display shown last and the conversation's state must match.
#include "pages/ControlPageLogic.h"
#include "tests/fuzz/Cuts.h"
#include "tests/measure/ManualDeviceLink.h"

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

std::string Outcome(const std::vector<cuts::Piece>& answer, const std::vector<cuts::Piece>& display)
{
    Host host;
    CControlConversation conv(host);
    host.onTimer = [&conv](UINT id) { conv.OnTimer(id); };
    host.onData = [&conv](int n) { conv.OnDataReceived(n); };
    int echoes = 0;
    host.device = [&](char b, UINT t) {
        // The first five keys are echoed by a display line; 'V' answered.
        if (b == 'n' && echoes++ < 5)
            host.Deliver(t + 5, "  HOME  \r\n");
        else if (b == 'V')
            for (const cuts::Piece& p : answer)
                host.Deliver(t + 5, p.bytes);
    };
    conv.OnActivate();
    UINT t = 1000;
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
    cuts::Same(Outcome(cuts::Whole(answer), cuts::Whole(display)), Outcome(answerCut, displayCut));
    return 0;
}
