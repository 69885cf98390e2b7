// The device's framed telegram protocol: frame building, start-byte doubling,
// the two check bytes and the check and collection of received replies.
//
// Plain C++ with no window, port, thread or timer: a caller writes the bytes
// a builder returns and hands received bytes to the check. Byte texts are
// std::string used as a byte container (zero bytes are data, never an end).
//
// Frame: 02 | cmd | addr1 | addr2 | LEN | data[LEN] | s1 | s2  (LEN + 7 bytes);
// s1, s2 cover cmd..data. On the wire every 0x02 after the first byte is
// sent twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// One of the eight parameter blocks the device keeps; the object tracks the
// last content read and composed per block.
struct BlockDescriptor {
    std::string readContent = "leer READ";
    std::int32_t readState = -2;
    std::string writeContent = "leer WRITE";
    std::int32_t writeState = -3;
    std::string name;
    std::int32_t spare = -1;
};

class CQuorin_Send {
public:
    static constexpr std::uint8_t STX = 0x02;
    static constexpr int kBlockCount = 8;
    // Replies are checked in a fixed window; a frame must fit it whole.
    static constexpr int kCheckWindow = 41;
    static constexpr int kNakBufferSize = 11;

    // Reply check flags.
    static constexpr int kCheckS1Wrong = 4;
    static constexpr int kCheckS2Wrong = 8;
    static constexpr int kCheckTooLong = 16;

    CQuorin_Send();
    ~CQuorin_Send();
    CQuorin_Send(const CQuorin_Send&) = delete;
    CQuorin_Send& operator=(const CQuorin_Send&) = delete;

    static constexpr unsigned MakeWord(std::uint8_t high, std::uint8_t low)
    {
        return static_cast<unsigned>(high) * 256u + low;
    }

    std::uint8_t QuorSend_GetLastCommand() const { return m_lastCommand; }
    void QuorSend_SetLastCommand(std::uint8_t cmd) { m_lastCommand = cmd; }
    std::uint8_t QuorSend_GetBlockNumber() const { return m_blockNumber; }
    std::int32_t QuorSend_GetReplyLength() const { return m_replyLength; }
    void QuorSend_SetReplyLength(std::int32_t length) { m_replyLength = length; }
    std::uint8_t QuorSend_GetAddress1() const { return m_address1; }
    std::uint8_t QuorSend_GetAddress2() const { return m_address2; }
    std::uint8_t QuorSend_GetKeptCheck1() const { return m_keptCheck1; }
    std::uint8_t QuorSend_GetKeptCheck2() const { return m_keptCheck2; }
    bool QuorSend_GetValueOverflow() const { return m_valueOverflow != 0; }
    const BlockDescriptor& QuorSend_Block(int index) const { return m_blocks[index]; }

    // Number texts for the language at langOffset: ',' becomes '.' for
    // English (1000), '.' becomes ',' for every other language.
    static std::string QuorSend_LocalDecimal(std::string text, int langOffset);

    // Stores the address and keeps the check bytes of the reversed
    // acknowledgement for it; always 0.
    int QuorSend_SetAddress(std::uint8_t first, std::uint8_t second);
    // Index 0..12 into the device's rate table; other indices change nothing.
    void QuorSend_SetRate(int index);
    // Values above 16 bits are stored as 0 with the overflow flag set.
    void QuorSend_SetValue16(std::uint32_t value);

    // Builders: the stuffed frame goes to out.
    void QuorSend_TelegramA(std::string& out);
    void QuorSend_TelegramB(std::string& out);
    void QuorSend_TelegramNak(std::string& out);
    // reversed: second address byte first, and the frame's check bytes kept.
    void QuorSend_TelegramAck(std::string& out, bool reversed);
    // Data byte 1 when on, else 0.
    void QuorSend_TelegramE(std::string& out, bool on);
    // out may be null: the object's state is still updated.
    void QuorSend_TelegramReadBlock(std::string* out, std::uint8_t block);
    void QuorSend_TelegramK(std::string& out);
    void QuorSend_TelegramM(std::string& out);
    void QuorSend_TelegramZ(std::string& out);
    // kind is the trailing letter 'C', 'A' or 'B'.
    void QuorSend_TelegramZRate(std::string& out, char kind);
    // The NAK frame, stuffed, in a fixed buffer; returns its length (7..11).
    int QuorSend_TelegramNakBytes(std::uint8_t (&buffer)[kNakBufferSize]);

    // One unframed character (0x02, 'A', 'B', 'G', 'D', 'E', 'H' or 'F').
    static void QuorSend_SingleCharText(std::string& out, char ch);

    // s1, s2 over count + 1 bytes from first (count < 0 sums nothing).
    static void QuorSend_Checksum(const std::uint8_t* first, std::uint8_t out[2], int count);
    // LEN + 7 bytes of frame (LEN at offset 4), never more than frame holds,
    // with every 0x02 after the first byte doubled.
    static void QuorSend_StuffToText(std::string& out, std::string_view frame);
    // The same doubling inside buffer; false (buffer untouched) when the
    // result would not fit capacity.
    static bool QuorSend_StuffInPlace(std::uint8_t* buffer, int& length, int capacity);

    // Sum of kCheck* flags, 0 when the reply is good. Mode 1 finds the check
    // bytes by LEN and ignores trailing bytes; any other mode takes the
    // reply's last two bytes. Never reads past the reply.
    static int QuorSend_CheckReply(std::string_view reply, std::uint8_t mode);

    // Undoes the doubling; stops at the expected reply length when one is set
    // (> 0). reply is replaced by the result, which is also returned.
    std::string QuorSend_UnstuffReply(std::string& reply);

    // Appends up to min(count, limit) received bytes to accumulated and looks
    // for a complete, correct frame. On true, accumulated holds the collected
    // (unstuffed) frame and lengthCode the reply's length code; the caller must
    // clear it before collecting the next reply. A frame that fails its check
    // is dropped up to its start byte and the scan resumes behind it.
    bool QuorSend_CollectReply(const char* bytes, std::string& accumulated, int count, int limit,
                               std::uint8_t& lengthCode);

    // Optional trace of the accumulated bytes during collection.
    void QuorSend_SetTrace(std::function<void(const std::string&)> trace) { m_trace = std::move(trace); }

private:
    // Builds 02 cmd a1 a2 LEN data s1 s2, stuffs it into out (if any) and
    // returns the two check bytes.
    void BuildFrame(std::string* out, std::uint8_t cmd, std::uint8_t a1, std::uint8_t a2,
                    const std::uint8_t* data, int len, std::uint8_t checks[2]);
    void BuildFrame(std::string* out, std::uint8_t cmd, const std::uint8_t* data, int len);

    // Block table (parameter block layouts build on it).
    BlockDescriptor m_blocks[kBlockCount];
    std::uint8_t m_lastCommand = 0;
    std::uint8_t m_blockNumber = 0;
    std::int32_t m_replyLength = 0;
    std::uint8_t m_address1 = 0;
    std::uint8_t m_address2 = 0;
    std::uint8_t m_keptCheck1 = 0;
    std::uint8_t m_keptCheck2 = 0;
    std::uint8_t m_addressSet = 0;
    std::uint8_t m_rateCode = 25;
    std::uint32_t m_value = 0;
    std::uint8_t m_valueOverflow = 0;
    // Single-bit masks and their complements for the block field codecs.
    std::uint8_t m_bitMask[8];
    std::uint8_t m_bitMaskInverse[8];
    // The float converter of the block codecs joins here with them.

    std::function<void(const std::string&)> m_trace;
};

// The bytes as space-separated two-digit upper-case hex, for traces.
std::string TelegramHexDump(std::string_view bytes);
