// The JAM message base: an area kept in four files that share one base path,
// ".jhr" (base header, then the letter headers with their subfields), ".jdt"
// (the texts), ".jdx" (one index record per letter number) and ".jlr"
// (last-read records). Tossers write these bases; this class reads what they
// wrote, appends its own letters, rewrites headers to keep its read marks and
// deletes letters, while the tosser may hold the same files open. Every change
// is made under the one-byte lock at offset 0 of the .jhr file, which the
// tossers take too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "msgbase/BlockReader.h"
#include "msgbase/MsgBase.h"
#include "msgbase/jam/JamLayout.h"

// Statuses of this format besides the file layer's codes.
constexpr Status JamLockFailed = 5;     // the base lock could not be taken
// A header or index record names bytes the files do not hold (a damaged base,
// a deleted letter, or a letter that another program moved or removed since
// it was loaded): nothing was written.
constexpr Status JamBadReference = 100;
// The letter would lie beyond what JAM offsets can address: its text beyond
// 4 GiB, or its header beyond 2 GiB (where its index record would read as
// that of a deleted letter).
constexpr Status JamBaseFull = 112;
// CreateBase: a base, or what is left of one, is there already.
constexpr Status JamBaseExists = 80;

class JamMsgBase : public MsgBase {
public:
    JamMsgBase();
    ~JamMsgBase() override;

    void SetBasePath(const std::string& spec) override;
    Status OpenBase() override;
    Status CloseBase() override;
    Status CreateBase(uint16_t maxLetters, uint16_t maxDays) override;
    bool BaseExists() override;
    // Nested lock on byte 0 of .jhr; the outermost LockBase reads the base
    // header afresh, the outermost UnlockBase writes it back.
    bool LockBase() override;
    bool UnlockBase() override;

    LetterHeader Header() override;
    // Writes back what differs from the header as loaded.
    Status RewriteHeader(const LetterHeader& header) override;

    void WriteChar(char ch) override;
    // Control lines become header subfields, not text.
    void WriteKludge(const std::string& line) override;
    Status WriteLetter() override;

    // The text is read as one stream: the control lines made from the
    // subfields first, then the stored text.
    char ReadChar() override;
    bool TextEnded() override;

    // The number of the current letter as the index places it; 0 when there
    // is no current letter.
    Num GetNumber() override;
    uint32_t GetPosition() override;
    void SetPosition(uint32_t position) override;
    void LoadHeader() override;
    void StartText() override;
    void StartNewLetter(const LetterHeader& header) override;

    void SeekFirst(Num number) override;
    void SeekNext() override;
    void SeekPrior() override;
    bool SeekFound() override;
    void FindMailFirst(const std::string& name, const std::string& alias) override;
    void FindMailNext() override;
    bool MailFound() override;

    Num GetHighNumber() override;
    void SetMailType(uint8_t type) override;
    Status DeleteLetter() override;
    uint32_t CountLetters() override;
    Num GetLastRead(uint32_t user) override;
    void SetLastRead(uint32_t user, Num number) override;
    int64_t GetTextPos() override;
    void SetTextPos(int64_t position) override;

    Status HeaderStatus() const override { return LoadStatus; }

private:
    // Positions and counts are in records of the file (bytes for .jhr and
    // .jdt); got = records read.
    static bool WriteAt(FileRecord& file, int64_t position, const void* data, std::size_t count);
    static bool ReadAt(FileRecord& file, int64_t position, void* data, std::size_t count, uint32_t& got);
    // The name of one of the base's files (extension given in lower case).
    std::string FileName(std::string_view extension) const;
    int64_t FirstNumber() const;
    int64_t HighNumber();
    bool InRange(int64_t number);
    // The index record of a number, through the index window; false when it
    // cannot be read (status in LastIoError or JamBadReference).
    bool LookupIndex(int64_t number, JamIndexRecord& record);
    bool IsLiveNumber(int64_t number);
    Status WriteIndexRecord(int64_t number, const JamIndexRecord& record);
    // Reads the header at a .jhr offset: the fixed part and as much of its
    // subfields as the file holds.
    Status ReadHeaderAt(uint32_t offset, JamMsgHeader& header, std::vector<uint8_t>& subfields);
    void TakeSubfield(uint16_t code, std::string_view data);
    void AppendKludge(std::string_view prefix, std::string_view data);
    std::vector<uint8_t> SubfieldsToWrite() const;
    Status RewriteFixedPart();
    Status MergeFixedPart();
    void ApplyHeader(const LetterHeader& wanted);
    bool HasFlag(uint32_t bit) const { return (Fixed.Attribute & bit) != 0; }

    std::string BasePath;
    FileRecord Jhr, Jdt, Jdx;
    JamBaseHeader BaseHeader{};
    int LockCount = 0;
    // The highest number the index held when it was last measured. JAM files
    // only grow, so numbers up to it need no new look at the file size.
    int64_t KnownHigh = 0;

    // The current letter: the fixed header part and its subfields (as read,
    // or, while a letter is built, those made by WriteKludge).
    JamMsgHeader Fixed{};
    std::vector<uint8_t> Subfields;
    std::string From, To, Subject;  // stored bytes
    FidoAddress Orig, Dest;
    DateTime When = 0;
    int64_t CurrentNumber = 0;
    // The letter whose header the buffer holds, where it lies, and the fixed
    // part as it was read (RewriteHeader writes back only what changed).
    int64_t LoadedNumber = 0;
    uint32_t LoadedOffset = 0;
    JamMsgHeader LoadedHeader{};
    Status LoadStatus = JamBadReference;  // of the last LoadHeader

    // Reading the text: negative positions lie in KludgeBuffer.
    std::string KludgeBuffer;
    int64_t TextPos = 0;
    int64_t TextStart = 0;
    int64_t TextEnd = 0;  // one past the last byte
    std::vector<char> TextWindow;
    int64_t TextWindowStart = 0;
    uint32_t TextWindowLength = 0;

    // Index records (in records) and header bytes, as a walk reads them.
    BlockReader IndexBlocks;
    BlockReader HeaderBlocks;

    // Building a letter: the text is kept in memory whatever its length.
    std::string NewText;  // stored bytes
    uint8_t MailType = MailLocal;

    std::string FindName, FindAlias;  // upper case
    std::vector<uint32_t> FindCrcs;    // of every stored form of both
};
