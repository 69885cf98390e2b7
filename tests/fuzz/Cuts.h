// Shared by the differential entries: the fuzzer's bytes as device answers
// and the cut points at which the reader hands them over. Each entry runs
// its conversation twice, once with every answer whole and once cut, and
// traps when anything the user could see differs.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace cuts {

// A piece of an answer and the milliseconds between it and the piece before.
struct Piece {
    std::string bytes;
    unsigned gapMs = 0;
};

// Bytes of at most maxLength.
inline std::string Bytes(FuzzedDataProvider& in, std::size_t maxLength)
{
    return in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, maxLength));
}

// The answer cut at up to maxCuts fuzzer-chosen places, each piece after a
// gap of at most maxGapMs (0: all pieces at the same moment).
inline std::vector<Piece> Cut(FuzzedDataProvider& in, const std::string& answer, int maxCuts, unsigned maxGapMs)
{
    std::vector<Piece> pieces;
    std::size_t at = 0;
    const int cuts = in.ConsumeIntegralInRange<int>(0, maxCuts);
    for (int i = 0; i < cuts && at < answer.size(); ++i) {
        const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(1, answer.size() - at);
        pieces.push_back({answer.substr(at, n), pieces.empty() ? 0u : in.ConsumeIntegralInRange<unsigned>(0, maxGapMs)});
        at += n;
    }
    if (at < answer.size() || pieces.empty())
        pieces.push_back({answer.substr(at), pieces.empty() ? 0u : in.ConsumeIntegralInRange<unsigned>(0, maxGapMs)});
    return pieces;
}

inline std::vector<Piece> Whole(const std::string& answer) { return {{answer, 0}}; }

// A difference the user would see: stop here.
inline void Same(bool same)
{
    if (!same)
        __builtin_trap();
}

// The same for outcomes written out as text; VX35_FUZZ_SHOW=1 prints both
// when replaying a finding.
inline void Same(const std::string& whole, const std::string& cut)
{
    if (whole != cut && std::getenv("VX35_FUZZ_SHOW")) {
        for (const std::string* s : {&whole, &cut}) {
            std::fputs(s == &whole ? "whole: " : "cut:   ", stderr);
            for (unsigned char c : *s)
                std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
            std::fputc('\n', stderr);
        }
    }
    Same(whole == cut);
}

} // namespace cuts
