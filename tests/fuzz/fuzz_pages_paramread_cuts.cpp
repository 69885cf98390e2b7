// Differential: the parameter page's read ('V', 'W', ten row records), once
// with every answer whole and once cut where the fuzzer says; a pre-read
// follows a read of the same answers. Version, factory words, the table,
// the row records and the read's state must match. Rows may carry stray
// bytes before them, as a late CR LF does, and anything in their last two
// bytes; the home keys' display lines may still be coming after 'V'.
#include "pages/ParameterRead.h"
#include "tests/fuzz/Cuts.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

using Action = ParameterReadAction;
using Answers = std::map<std::string, std::vector<cuts::Piece>>;

CString Text(UINT id) { return CString::Formatted("t%u", id); }

struct Rig {
    CParameterRead m{Text};
    std::map<UINT, unsigned long> due;
    std::multimap<unsigned long, std::string> pending;
    unsigned long now = 0;
    std::vector<std::string> boxes;
    int updates = 0, refreshes = 0, sends = 0;
    const Answers* answers = nullptr;
    std::map<std::string, bool> answered;

    unsigned lateMs = 0;      // the home keys' display lines come this late,
    std::size_t echoPiece = 10; // in pieces of this many bytes, 1 ms apart
    unsigned long lineFree = 0;

    // The line is first in, first out: an answer follows what is still due.
    // Each key's line is late by lateMs from its own key, not from the line
    // before it: the lateness does not add up over the five keys.
    void Sent(const std::string& request)
    {
        unsigned long due = std::max(now + 5, lineFree);
        if (request == "n") {
            const std::string echo = "MESSEN  \r\n";
            due = std::max(now + 5 + lateMs, lineFree);
            for (std::size_t i = 0; i < echo.size(); i += echoPiece)
                pending.emplace(due + i, echo.substr(i, echoPiece));
            lineFree = due + echo.size();
            return;
        }
        auto it = answers->find(request);
        if (it == answers->end() || answered[request])
            return;
        answered[request] = true;
        for (const cuts::Piece& p : it->second)
            pending.emplace(due, p.bytes);
    }
    void Perform(const CParameterRead::Actions& actions)
    {
        for (const Action& a : actions) {
            switch (a.kind) {
            case Action::PageSend:
            case Action::DirectSend: Sent(a.bytes.str()); break;
            case Action::SetTimer: due[a.id] = now + a.ms; break;
            case Action::KillTimer: due.erase(a.id); break;
            case Action::Sleep: now += a.ms; break;
            case Action::UpdateForm: ++updates; break;
            case Action::RefreshPage: ++refreshes; break;
            case Action::MessageBox: boxes.push_back(a.bytes.str()); break;
            case Action::StartSend: ++sends; break;
            default: break;
            }
        }
    }
    void RunUntil(unsigned long end)
    {
        for (;;) {
            unsigned long best = end + 1;
            auto timer = due.end();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second < best) {
                    best = it->second;
                    timer = it;
                }
            const bool data = !pending.empty() && pending.begin()->first <= best && pending.begin()->first <= end;
            if (!data && timer == due.end())
                break;
            if (data) {
                const auto it = pending.begin();
                now = std::max(now, it->first);
                const std::string bytes = it->second;
                pending.erase(it);
                Perform(m.OnBytes(CString(bytes)));
            } else {
                now = std::max(now, timer->second);
                Perform(m.OnTimer(timer->first));
            }
        }
    }
};

std::string Outcome(const Answers& answers, bool preRead, unsigned lateMs = 0, std::size_t echoPiece = 10)
{
    Rig r;
    r.answers = &answers;
    r.lateMs = lateMs;
    r.echoPiece = echoPiece;
    r.Perform(r.m.StartRead());
    r.RunUntil(60000);
    if (preRead) {
        // The send's own read, over the read it stands on.
        r.answered.clear();
        r.Perform(r.m.StartPreRead());
        r.RunUntil(r.now + 60000);
    }
    std::string o = r.m.VersionText().str() + '|';
    for (int i = 0; i < kFactoryWordCount; ++i)
        o += r.m.FactoryWordText(i).str() + ',';
    for (int i = 0; i < kParameterRows; ++i) {
        const ParameterRowTexts& t = r.m.Row(i);
        const ParameterRowTexts& p = r.m.PreRead(i);
        const ParameterRowRecord& rec = r.m.Record(i);
        o += '|' + t.name.str() + ';' + t.nominal.str() + ';' + t.unit.str() + ';' + t.type.str() + ';' + t.p0.str()
            + ';' + t.p100.str() + ';' + p.name.str() + ';' + p.nominal.str() + ';' + p.unit.str() + ';'
            + std::to_string(rec.typeCode) + ';' + std::to_string(rec.decimalsCode) + ';' + std::to_string(rec.raw0)
            + ';' + std::to_string(rec.raw100) + ';' + std::to_string(rec.factoryFirst) + ';'
            + std::to_string(rec.factorySecond);
    }
    o += '|' + std::to_string(r.m.PrintAllowed()) + std::to_string(r.m.SendPending())
        + std::to_string(static_cast<int>(r.m.CurrentHandler())) + std::to_string(r.updates) + ','
        + std::to_string(r.refreshes) + ',' + std::to_string(r.sends);
    for (const std::string& b : r.boxes)
        o += '|' + b;
    return o;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool preRead = in.ConsumeBool();
    std::map<std::string, std::string> raw;
    raw["V"] = in.ConsumeBool() ? cuts::Bytes(in, 16) + "\r\n" : cuts::Bytes(in, 24);
    raw["W"] = cuts::Bytes(in, 20);
    for (int row = 1; row <= kParameterRows; ++row) {
        std::string answer = cuts::Bytes(in, 4); // stray bytes first
        if (in.ConsumeBool()) {
            // A record as the device lays it out: 18 bytes, then two the
            // reader does not look at (a check pair, a word, zeros).
            std::string record = in.ConsumeBytesAsString(20);
            record.resize(20, ' ');
            answer += record;
        } else {
            answer += cuts::Bytes(in, 24);
        }
        raw[std::string("f") + char(row)] = answer;
    }
    Answers whole, cut;
    for (const auto& [request, answer] : raw) {
        whole[request] = cuts::Whole(answer);
        cut[request] = cuts::Cut(in, answer, 3, 0);
    }
    // A slow line: the home keys' display lines still coming after 'V'.
    const unsigned lateMs = in.ConsumeIntegralInRange<unsigned>(0, 600);
    const std::size_t echoPiece = in.ConsumeIntegralInRange<std::size_t>(1, 10);
    cuts::Same(Outcome(whole, preRead), Outcome(cut, preRead, lateMs, echoPiece));
    return 0;
}
