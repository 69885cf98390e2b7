#include "pages/ControlPageLogic.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FakeControlHost : public ManualLink<CControlHost> {
public:
    int variant = 0;
    std::vector<std::string> display;
    void SetDeviceVariant(int v) override { variant = v; }
    void ShowDisplayText(const CString& t) override { display.push_back(t.str()); }
    void ShowModelText() override {}
};

struct Control : ::testing::Test {
    FakeControlHost host;
    CControlConversation conv{host};
    void SetUp() override
    {
        host.onTimer = [this](UINT id) { conv.OnTimer(id); };
        host.onData = [this](int n) { conv.OnDataReceived(n); };
    }
    void Chunk(const std::string& bytes)
    {
        host.Deliver(host.now, bytes);
        host.RunUntil(host.now);
    }
};

std::string Played(int controlId)
{
    ManualLink<> link;
    link.receive = "old";
    PlayControlKeySequence(link, *FindControlKeySequence(controlId));
    EXPECT_TRUE(link.receive.IsEmpty());
    return link.SentText();
}

} // namespace

TEST_F(Control, ActivationSendsSixEscKeysPaced)
{
    host.receive = "stale";
    conv.OnActivate();
    EXPECT_EQ(host.SentText(), "nnnnnn");
    EXPECT_EQ(host.SentTimes(), (std::vector<UINT>{0, 25, 50, 75, 100, 125}));
    EXPECT_TRUE(host.receive.IsEmpty());
}

TEST_F(Control, VersionRequestAfterFiftyEchoBytes)
{
    conv.OnActivate();
    host.ClearSent();
    Chunk(std::string(49, 'e'));
    EXPECT_EQ(host.SentText(), "");
    Chunk("e");
    EXPECT_EQ(host.SentText(), "V");
    EXPECT_TRUE(host.HasTimer(1));
    EXPECT_EQ(host.TimerPeriod(1), 1000u);
    EXPECT_EQ(conv.GetHandler(), CControlConversation::Handler::VersionAnswer);
}

// The variant comes from the whole answer, up to its line end or the
// silence after it, whatever pieces the reader made of it.
TEST_F(Control, VariantComesFromTheWholeAnswerForEveryCut)
{
    const std::string answer = "VX35 H1 105\r\n";
    for (size_t cut = 0; cut < answer.size(); ++cut) {
        host.variant = 0;
        conv.OnActivate();
        Chunk(std::string(50, 'e'));
        if (cut > 0)
            Chunk(answer.substr(0, cut));
        Chunk(answer.substr(cut));
        EXPECT_EQ(host.variant, 800) << cut;
        EXPECT_FALSE(host.HasTimer(1));
        EXPECT_EQ(conv.GetHandler(), CControlConversation::Handler::DisplayFirst);
    }

    // Without a line end the answer is what came before 250 ms of silence;
    // each piece starts the silence over.
    host.variant = 0;
    conv.OnActivate();
    Chunk(std::string(50, 'e'));
    Chunk("VX35 ");
    host.Advance(200);
    Chunk("H1");
    host.Advance(200);
    EXPECT_EQ(host.variant, 0);
    host.Advance(50);
    EXPECT_EQ(host.variant, 800);

    host.variant = 0;
    conv.OnActivate();
    Chunk(std::string(50, 'e'));
    Chunk("VX35 H2 105\r\n");
    EXPECT_EQ(host.variant, 700);
}

// On a slow line the last keys' display lines are still coming when 'V'
// goes out: they are no answer, however they are cut.
TEST_F(Control, LateKeyLinesBeforeTheAnswerAreNoAnswer)
{
    const std::string late = "MESSEN  \r\n\r\nVX35 H1 105\r\n";
    for (size_t piece : {1u, 4u, 100u}) {
        host.variant = 0;
        conv.OnActivate();
        Chunk(std::string(50, 'e'));
        for (size_t i = 0; i < late.size(); i += piece)
            Chunk(late.substr(i, piece));
        EXPECT_EQ(host.variant, 800) << piece;
    }
}

TEST_F(Control, TimeoutMovesOnAndKeepsTheVariant)
{
    host.variant = 800;
    conv.OnActivate();
    Chunk(std::string(50, 'e'));
    host.Advance(950);
    EXPECT_EQ(conv.GetHandler(), CControlConversation::Handler::VersionAnswer);
    host.Advance(50);
    EXPECT_EQ(host.variant, 800);
    EXPECT_EQ(conv.GetHandler(), CControlConversation::Handler::DisplayFirst);
    EXPECT_FALSE(host.HasTimer(1));
}

// Display lines that keep coming after 'V' hold the identification no
// longer than the version stage's cap; then the display follows them, the
// variant as it was.
TEST_F(Control, VersionStageIsCappedWhileLinesKeepComing)
{
    host.variant = 800;
    conv.OnActivate();
    Chunk(std::string(50, 'e'));
    const UINT asked = host.now;
    for (int i = 0; i < 25 && conv.GetHandler() == CControlConversation::Handler::VersionAnswer; ++i) {
        Chunk("MESSEN  \r\n");
        host.Advance(200);
    }
    EXPECT_LE(host.now - asked, CControlConversation::kVersionCapMs + 200);
    for (int i = 0; i < 5; ++i)
        Chunk("MESSEN  \r\n");
    EXPECT_EQ(host.display, std::vector<std::string>{"MESSEN  "});
    EXPECT_EQ(host.variant, 800);
}

TEST_F(Control, DisplayMirrorsTheLastLineLiterally)
{
    conv.OnActivate();
    Chunk(std::string(50, 'e'));
    Chunk("VX35 105\r\n");
    // The display waits for 50 more bytes, counted from 'V'.
    Chunk(std::string(40, 'x'));
    EXPECT_TRUE(host.display.empty());
    host.receive = "";
    Chunk("ABCDEFGHIJ");
    ASSERT_EQ(host.display.size(), 1u);
    EXPECT_EQ(host.display.back(), "ABCDEFGH");
    host.receive = "";
    Chunk("ABCDEFGHIJKL");
    EXPECT_EQ(host.display.back(), "CDEFGHIJ");
    host.receive = "";
    Chunk("%s%d 999\r\n");
    EXPECT_EQ(host.display.back(), "%s%d 999");
    EXPECT_EQ(ExtractDisplayLine("ABCDE"), "ABCDE");
}

TEST(ControlSequences, ExactBytesAndPauses)
{
    EXPECT_EQ(Played(1028), "nnnnnk");
    EXPECT_EQ(Played(1035), "nnnnnlkk");
    EXPECT_EQ(Played(1037), "nnnnnlkllllllkk");
    const std::string calib = Played(1044);
    EXPECT_EQ(calib, "nnnnnlkllllkmklllkmmmklllkk");
    EXPECT_EQ(calib.size(), 27u);

    ManualLink<> link;
    PlayControlKeySequence(link, *FindControlKeySequence(1038));
    EXPECT_EQ(link.SentText(), "nnnnnlklllllllkkl");
    const std::vector<UINT> t = link.SentTimes();
    for (size_t i = 1; i + 1 < t.size(); ++i)
        EXPECT_EQ(t[i] - t[i - 1], 25u) << i;
    EXPECT_EQ(t.back() - t[t.size() - 2], 1025u);

    EXPECT_EQ(Played(1039), "nnnnnlklllllllklkl");
    EXPECT_EQ(FindControlKeySequence(1040), nullptr);
}

TEST(ControlKeypad, HitZonesAreExclusiveInBothLayouts)
{
    EXPECT_EQ(KeypadHitTest(51, 26, false), 'l');
    EXPECT_EQ(KeypadHitTest(50, 30, false), 0);
    EXPECT_EQ(KeypadHitTest(77, 116, false), 'm');
    EXPECT_EQ(KeypadHitTest(21, 84, false), 'k');
    EXPECT_EQ(KeypadHitTest(101, 51, false), 'n');
    EXPECT_EQ(KeypadHitTest(102, 60, false), 0);
    // Large layout: the corners sit on the bounds.
    EXPECT_EQ(KeypadHitTest(60, 30, true), 0);
    EXPECT_EQ(KeypadHitTest(61, 31, true), 'l');
    EXPECT_EQ(KeypadHitTest(99, 149, true), 'm');
    EXPECT_EQ(KeypadHitTest(31, 71, true), 'k');
    EXPECT_EQ(KeypadHitTest(129, 99, true), 'n');
    EXPECT_EQ(KeypadHitTest(130, 99, true), 0);
    EXPECT_EQ(KeypadHitTest(5, 5, true), 0);
    EXPECT_FALSE(IsLargeControlLayout(150));
    EXPECT_TRUE(IsLargeControlLayout(151));
}

TEST_F(Control, KeypadClickSendsItsKey)
{
    conv.OnKeypadClick(61 * 65535 + 31, true);
    conv.OnKeypadClick(60 * 65535 + 30, true);
    conv.OnKeypadClick(90 * 65535 + 60, false);
    EXPECT_EQ(host.SentText(), "ln");
}
