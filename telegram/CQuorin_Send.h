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
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// One of the eight parameter blocks the device keeps; the object tracks the
// last content read and composed per block.
class CFloat32;

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

    // ---- Parameter blocks: 40-byte frames carrying the device's settings ----
    static constexpr int kBlockSize = 40;
    // Descriptor indices of the block table.
    enum BlockIndex {
        kStatorHeader, kStatorHardware, kStatorOperation, kStatorSoftwareConfig,
        kRotorHeader, kRotorFactoryCalib, kRotorUserCalib, kRotorOperation,
    };
    // Block check flags; kBlockEmpty stands alone.
    static constexpr int kBlockIdNotSet = 1;
    static constexpr int kBlockIdUnknown = 2;
    static constexpr int kBlockSumWrong = 4;
    static constexpr int kBlockWeightedSumWrong = 8;
    static constexpr int kBlockEmpty = 255;

    // The block blank-padded to at least 40 bytes.
    static std::string QuorSend_PadBlock(std::string block);
    // s1, s2 over the 28 bytes from fromId, written big-endian to the four
    // bytes after them.
    static void QuorSend_BlockSums(std::uint8_t* fromId);
    // 0 good, 255 empty, else a sum of kBlock* flags; message (if any) gets
    // the device's texts. A block shorter than 40 bytes is checked
    // blank-padded.
    static std::int32_t QuorSend_CheckBlock(std::string block, std::string* message = nullptr);
    // The stuffed write frame of the block blank-padded to 40 bytes, with
    // LEN 33, fresh sums and frame check bytes; corruptSums (1) spoils the
    // block sums on purpose.
    static std::string QuorSend_BlockToTelegram(std::string block, std::uint8_t corruptSums);
    // The 7-byte start of a block to be written: 02 'F' a1 a2 33 number ID.
    void QuorSend_BlockHeader(std::string& out, std::uint8_t blockNumber);
    // The ID that belongs to a block number (0xFF when none does).
    static std::uint8_t QuorSend_BlockId(std::uint8_t blockNumber);

    // ---- Field codecs (big-endian) ----
    static int QuorSend_SignedWord(std::uint8_t high, std::uint8_t low);
    static bool QuorSend_U16ToBytes(std::uint32_t value, std::uint8_t& high, std::uint8_t& low);
    static bool QuorSend_S16ToBytes(int value, std::uint8_t& high, std::uint8_t& low);
    static bool QuorSend_U32ToBytes(std::uint32_t value, std::uint8_t bytes[4]);
    static bool QuorSend_TimeToBytes(std::int64_t time, std::uint8_t bytes[4]);
    static bool QuorSend_FactorToWord(double factor, std::uint32_t& value);
    // Broken-down times here have tm_mon 1..12 and a four-digit tm_year.
    static void QuorSend_TimeFieldText(const std::string& block, std::int64_t* time, std::tm* local,
                                       std::string* text, std::uint32_t* seconds);
    static void QuorSend_TimeText(std::string& out, int langOffset, std::string* copy = nullptr,
                                  const std::int64_t* time = nullptr, const std::tm* local = nullptr);
    static void QuorSend_DateTimeText(std::string& out, int style, const std::int64_t* time = nullptr,
                                      const std::tm* local = nullptr, const std::uint32_t* time32 = nullptr);
    static int QuorSend_VersionText(std::string& out, std::uint32_t value);
    static char QuorSend_CodeToChar(unsigned code);
    static std::uint8_t QuorSend_CharToCode(char ch);
    bool QuorSend_CopyBit(std::uint8_t& target, int targetBit, std::uint8_t source, int sourceBit) const;
    static std::string QuorSend_BytesToText(const std::uint8_t* bytes, int count);
    static std::string QuorSend_CharText(char ch);
    CFloat32& QuorSend_Float() { return *m_float; }

    // ---- Block readers and writers ----
    // A reader pads the block, keeps it and its check result in the block
    // table, fills every non-null output and returns the check result.
    // A writer pads the block, writes the fields whose input is not null,
    // leaves every other byte and keeps the result as the write content.
    std::int32_t QuorSend_ReadBlockGetContentStatorHeader(std::string block, std::uint32_t* serial24,
                                                          std::uint32_t* value32, std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentStatorHeader(std::string& block, const std::uint32_t* serial24,
                                                   const std::uint32_t* value32);

    std::int32_t QuorSend_ReadBlockGetContentStatorHardware(std::string block, std::int64_t* time, std::tm* local,
                                                            std::uint8_t* byte16, std::uint8_t* byte17,
                                                            std::string* timeText, std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentStatorHardware(std::string& block, const std::int64_t* time,
                                                     const std::uint8_t* byte16, const std::uint8_t* byte17);

    std::int32_t QuorSend_ReadBlockGetContentStatorOperation(
        std::string block, std::int64_t* time, std::tm* local, std::uint8_t* byte12, std::uint8_t* byte12Bit0,
        std::uint8_t* byte13, std::uint8_t* flag15, std::uint8_t* byte16, std::uint8_t* byte17,
        std::uint8_t* byte18, std::uint32_t* word19, std::uint32_t* word21, std::string* timeText,
        std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentStatorOperation(std::string& block, const std::int64_t* time,
                                                      const std::uint8_t* byte12, const std::uint8_t* byte13,
                                                      const std::uint8_t* flag15, const std::uint8_t* byte16,
                                                      const std::uint8_t* byte17, const std::uint8_t* byte18,
                                                      const std::uint32_t* word19, const std::uint32_t* word21);

    // Offsets 26..29 hold two like sets of settings ("A" in the even, "B" in
    // the odd byte).
    std::int32_t QuorSend_ReadBlockGetContentStatorSoftwareConfiguration(
        std::string block, std::uint8_t* byte7, double* floatA, double* floatB, std::string* textA,
        std::string* textB, std::uint8_t* bits5A, std::uint8_t* bits5B, std::uint8_t* bits3A,
        std::uint8_t* bits3B, std::uint8_t* bits4A, std::uint8_t* bits4B, std::uint8_t* flag7A,
        std::uint8_t* flag7B, std::uint8_t* flag6A, std::uint8_t* flag6B, std::uint32_t* word30,
        std::uint8_t* byte32, std::uint8_t* bits2A, std::uint8_t* bits2B, std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentStatorSoftwareConfiguration(
        std::string& block, const std::uint8_t* byte7, const double* floatA, const double* floatB,
        const std::string* textA, const std::string* textB, const std::uint8_t* bits5A,
        const std::uint8_t* bits5B, const std::uint8_t* bits3A, const std::uint8_t* bits3B,
        const std::uint8_t* bits4A, const std::uint8_t* bits4B, const std::uint8_t* flag7A,
        const std::uint8_t* flag7B, const std::uint8_t* flag6A, const std::uint8_t* flag6B,
        const std::uint32_t* word30, const std::uint8_t* byte32, const std::uint8_t* bits2A,
        const std::uint8_t* bits2B);

    std::int32_t QuorSend_ReadBlockGetContentRotorHeader(
        std::string block, std::uint32_t* serial24, std::uint32_t* value32, std::uint8_t* byte14,
        std::uint8_t* byte15, std::uint32_t* word16, double* version16, std::uint8_t* byte18,
        std::uint8_t* byte19, std::uint32_t* word20, double* version20, std::uint8_t* byte22,
        std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentRotorHeader(std::string& block, const std::uint32_t* serial24,
                                                  const std::uint32_t* value32, const std::uint8_t* byte14,
                                                  const std::uint8_t* byte15, const std::uint32_t* word16,
                                                  const std::uint8_t* byte18, const std::uint8_t* byte19,
                                                  const std::uint32_t* word20, const std::uint8_t* byte22);

    // userBlock set: only the outputs are filled, the block table is left.
    std::int32_t QuorSend_ReadBlockGetContentRotorCalibFactory(
        std::string block, std::int64_t* time, std::tm* local, std::uint32_t* word11, double* factor11,
        std::int32_t* signed13, std::uint32_t* word15, double* factor15, std::int32_t* signed17,
        std::uint32_t* word19, double* factor19, std::uint32_t* word21, double* factor21, std::uint32_t* word23,
        std::uint32_t* word25, std::uint32_t* word27, double* factor27, std::uint32_t* word29,
        double* factor29, std::string* timeText, std::string* message = nullptr, bool userBlock = false,
        std::uint32_t* seconds = nullptr);
    std::int32_t QuorSend_ReadBlockGetContentRotorCalibUser(
        std::string block, std::int64_t* time, std::tm* local, std::uint32_t* word11, double* factor11,
        std::int32_t* signed13, std::uint32_t* word15, double* factor15, std::int32_t* signed17,
        std::uint32_t* word19, double* factor19, std::uint32_t* word21, double* factor21, std::uint32_t* word23,
        std::uint32_t* word25, std::uint32_t* word27, double* factor27, std::uint32_t* word29,
        double* factor29, std::string* timeText, std::string* message = nullptr,
        std::uint32_t* seconds = nullptr);
    // userBlock selects which descriptor keeps the composed block.
    void QuorSend_WriteBlockSetContentRotorCalibFactory(
        std::string& block, const std::int64_t* time, const std::uint32_t* word11, const std::int32_t* signed13,
        const std::uint32_t* word15, const std::int32_t* signed17, const std::uint32_t* word19,
        const std::uint32_t* word21, const std::uint32_t* word23, const std::uint32_t* word25,
        const std::uint32_t* word27, const std::uint32_t* word29, bool userBlock = false);
    void QuorSend_WriteBlockSetContentRotorCalibUser(
        std::string& block, const std::int64_t* time, const std::uint32_t* word11, const std::int32_t* signed13,
        const std::uint32_t* word15, const std::int32_t* signed17, const std::uint32_t* word19,
        const std::uint32_t* word21, const std::uint32_t* word23, const std::uint32_t* word25,
        const std::uint32_t* word27, const std::uint32_t* word29);
    // Raw u16 of a factory calibration block at offset 11, 15, 19, 21, 23 or
    // 25 (the block is kept as a read); 0 for any other offset.
    std::uint32_t QuorSend_GetFactoryCalibField(const std::string& block, int offset);

    // The 12-character name travels as two 6-character halves.
    std::int32_t QuorSend_ReadBlockGetContentRotorOperation(std::string block, std::int64_t* time, std::tm* local,
                                                            std::string* timeText, std::string* name1,
                                                            std::string* name2, std::string* message = nullptr);
    void QuorSend_WriteBlockSetContentRotorOperation(std::string& block, const std::int64_t* time,
                                                     const std::string* name1, const std::string* name2);

private:
    // Block table bookkeeping of the readers and writers.
    std::int32_t KeepRead(int index, const std::string& padded, std::string* message);
    void KeepWrite(int index, const std::string& block) { m_blocks[index].writeContent = block; }

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
    std::unique_ptr<CFloat32> m_float;

    std::function<void(const std::string&)> m_trace;
};

// The bytes as space-separated two-digit upper-case hex, for traces.
std::string TelegramHexDump(std::string_view bytes);
