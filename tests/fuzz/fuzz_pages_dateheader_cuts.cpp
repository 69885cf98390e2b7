// Differential: the date and company header pages show what the receive
// text holds after each chunk; once with the answer whole and once cut, the
// text shown last must match.
#include "pages/DateHeaderLogic.h"
#include "tests/fuzz/Cuts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Outcome(const std::vector<cuts::Piece>& answer)
{
    // As the pages do: the receive text grows, the text is derived anew.
    CString rx, date, header;
    for (const cuts::Piece& p : answer) {
        rx += CString(p.bytes);
        date = DateAnswerText(rx);
        header = HeaderAnswerText(rx);
    }
    return date.str() + '|' + header.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string answer = cuts::Bytes(in, 200);
    cuts::Same(Outcome(cuts::Whole(answer)), Outcome(cuts::Cut(in, answer, 8, 0)));
    return 0;
}
