// Differential: the date and company header answers found in the receive
// text as it grows, each scan resuming where the last left off; once with
// the answer whole and once cut, the same answer must be found.
#include "pages/DateHeaderLogic.h"
#include "tests/fuzz/Cuts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Outcome(const std::vector<cuts::Piece>& answer)
{
    CString rx;
    DeviceAnswer date, header;
    for (const cuts::Piece& p : answer) {
        rx += CString(p.bytes);
        if (!date.complete)
            date = DateAnswerText(rx, date.resume);
        if (!header.complete)
            header = HeaderAnswerText(rx, header.resume);
    }
    return date.text.str() + '|' + header.text.str() + '|' + char('0' + date.complete + 2 * header.complete);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string answer = cuts::Bytes(in, 200);
    cuts::Same(Outcome(cuts::Whole(answer)), Outcome(cuts::Cut(in, answer, 8, 0)));
    return 0;
}
