// A Hudson message base: five shared files in one directory in which up to
// 200 boards keep their letters together. One object serves one board; every
// object of every board (and the tosser) opens the same files, so each write
// runs under the byte-range lock on byte 406 of MSGINFO.BBS with the counters
// re-read after locking and written back before unlocking. A write that fails
// part way takes back what it appended or overwrote and releases the lock
// without writing counters, so the counters on disk always match the files;
// what a writer that died part way left behind, the next writer makes whole
// (see Reconcile).
//
// File names are found whatever their case on disk; files this object creates
// follow the case of the base's existing files (lower case in a new base).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "msgbase/BlockReader.h"
#include "msgbase/FileLayer.h"
#include "msgbase/FileUndo.h"
#include "msgbase/MsgBase.h"
#include "msgbase/hudson/HudsonRecords.h"

// Statuses of this format besides the host file codes.
constexpr Status HudsonInfoUnreadable = 1;  // MSGINFO could not be read on open; or the directory could not be made
constexpr Status HudsonLockFailed = 5;      // another program holds the base lock, or MSGINFO could not be re-read
constexpr Status HudsonBaseExists = 80;     // CreateBase would overwrite existing base files
constexpr Status HudsonBaseFull = 99;       // no room for the letter: 65535 letters, numbers or text blocks
constexpr Status HudsonDamaged = 5000;      // the files do not make a consistent base
constexpr Status HudsonBadBoard = 5001;     // the board number is not 1..200
constexpr Status HudsonNoLetter = 5002;     // no current letter, or it changed on disk since it was loaded

class HudsonMsgBase : public MsgBase {
public:
    HudsonMsgBase();
    ~HudsonMsgBase() override;

    void SetBasePath(const std::string& spec) override;
    Status OpenBase() override;
    Status CloseBase() override;
    Status CreateBase(uint16_t maxLetters, uint16_t maxDays) override;
    bool BaseExists() override;
    bool LockBase() override;
    bool UnlockBase() override;

    LetterHeader Header() override;
    Status RewriteHeader(const LetterHeader& header) override;

    void WriteChar(char ch) override;
    Status WriteLetter() override;

    char ReadChar() override;
    bool TextEnded() override;

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
    uint16_t GetBoard() override;
    Status DeleteLetter() override;
    uint32_t CountLetters() override;
    Num GetLastRead(uint32_t user) override;
    void SetLastRead(uint32_t user, Num number) override;
    int64_t GetTextPos() override;
    void SetTextPos(int64_t position) override;

    bool HasExportMark() const override { return true; }
    Status HeaderStatus() const override { return LoadStatus; }

    // The board this object serves (0 when the base string named none in 1..200).
    int BoardNumber() const { return Board; }

protected:
    // Every write to the base files passes through here (record positions).
    // Tests override it to make one chosen write fail.
    virtual bool WriteAt(FileRecord& file, int64_t record, const void* data, uint32_t count);

private:
    // What the consistency check of the five files finds.
    enum class BaseState { Complete, Missing, Damaged };
    // The five files' names as found on disk (as the program spells them when missing).
    struct BaseNames {
        std::string Info, Idx, ToIdx, Hdr, Txt;
    };
    // One letter's records in the three parallel files.
    struct LetterRecords {
        HudsonHdrRecord Hdr;
        HudsonToIdxRecord ToIdx;
        HudsonIdxRecord Idx;
    };
    // Record counts of the parallel files and the text file, taken under the lock.
    struct FileCounts {
        int64_t Idx = 0, ToIdx = 0, Hdr = 0, Txt = 0;
    };

    bool BoardValid() const { return Board >= 1 && Board <= HudsonBoards; }
    std::string FileName(const char* programName) const;
    std::string NameToCreate(const char* programName) const;
    BaseNames ResolveNames() const;
    BaseState CheckFiles(const BaseNames& names) const;
    // Judges the sizes, taken again while they look damaged and keep changing.
    BaseState CheckSizes(const BaseNames& names, const std::function<std::array<int64_t, 5>()>& sizes) const;
    Status OpenFiles(const BaseNames& names);
    // Sizes in the order MSGIDX, MSGTOIDX, MSGHDR, MSGTXT, MSGINFO (-1: missing).
    BaseState JudgeSizes(const BaseNames& names, const std::array<int64_t, 5>& sizes) const;
    bool LastIndexMatchesItsHeader(const BaseNames& names, int64_t letters) const;
    void CloseFiles();

    // Locking: takes the lock and re-reads the counters (0, or a status).
    Status TakeLock();
    // Releases the lock; with writeCounters the counters are written first
    // (0, or the status of that write - the lock is released in any case).
    Status ReleaseLock(bool writeCounters);
    bool ReadCounts(FileCounts& counts);
    // Under the lock, before a write that changes the counters: makes what a
    // writer that died part way left behind whole again (see WriteLetter).
    Status Reconcile(FileCounts& counts);
    Status CutBrokenOffTail(FileCounts& counts);
    Status AdoptUncountedLetters(const FileCounts& counts);
    Status ListForExport(uint16_t position, bool netmail, FileRecord& file, int64_t& listedAt);
    bool ReadRecordAt(FileRecord& file, int64_t record, void* data);

    // Index scanning.
    // What the walk read is forgotten: the next look reads the files afresh.
    void ForgetBlocks();
    // The index records from position on that the block read holds; none at
    // the end of the index or when it cannot be read.
    const HudsonIdxRecord* IndexEntries(int64_t position, uint32_t& count);
    const HudsonIdxRecord* IndexEntry(int64_t position);
    // The first entry of this board from `from` (at `position`) on; end when there is none.
    const HudsonIdxRecord* NextOfBoard(const HudsonIdxRecord* from, const HudsonIdxRecord* end,
                                       int64_t position) const;
    bool Accepts(const HudsonIdxRecord& entry) const;
    bool MarkedDeletedAt(int64_t position);
    void ScanForward(uint32_t lowest);
    void ScanBackward(uint32_t below);

    void ClearHeader();
    void ApplyHeader(const LetterHeader& wanted);
    void SetMsgFlag(uint8_t bit, bool on);
    void WriteDate(DateTime when);
    Status ReadCurrentOnDisk(const FileCounts& counts, LetterRecords& onDisk);
    void TakeAsLoaded(const HudsonHdrRecord& header, int64_t position);
    bool WriteLetterRecords(FileUndo& undo, int64_t position, const LetterRecords& after,
                            const LetterRecords* before);
    bool WriteCounters(FileUndo& undo, const HudsonInfoRecord& before);
    Status WriteLetterLocked(uint16_t blocks, bool exportIt);

    // The base.
    std::string Dir;  // with the trailing separator
    int Board = 0;
    FileRecord InfoFile, TxtFile, HdrFile, ToIdxFile, IdxFile;
    bool Opened = false;
    bool Locked = false;
    HudsonInfoRecord Info{};

    // The current letter.
    HudsonHdrRecord HdrRecord{};
    bool HeaderLoaded = false;  // HdrRecord holds the record at HeaderPosition
    int64_t HeaderPosition = -1;
    HudsonHdrRecord LoadedHeader{};  // the record as loaded: RewriteHeader writes back only what changed
    Status LoadStatus = HudsonNoLetter;
    // The header the walk read to see whether the letter is deleted; the
    // LoadHeader that follows takes it instead of reading it again.
    HudsonHdrRecord PeekedHeader{};
    int64_t PeekedPosition = -1;
    bool Found = false;
    int64_t CurrentPosition = -1;  // index position; -1 before the first, the index size after the last
    uint32_t CurrentNumber = 0;    // number of the current letter; without one, the bound of the walk
    uint16_t OrigPoint = 0, DestPoint = 0;

    // Index records (MSGIDX) and headers (MSGHDR) as the walk reads them.
    BlockReader IndexBlocks;
    BlockReader HeaderBlocks;

    // Text being read: the characters of the current letter's blocks.
    std::string Text;
    std::size_t TextPos = 0;

    // Letter being built.
    std::string NewText;  // stored bytes
    bool NewTextTooLong = false;
    bool LastWasCarriageReturn = true;
    bool ExportMark = false;
    uint8_t MailType = MailEcho;

    // Search by recipient.
    // The stored forms of the name and the alias, ASCII letters upper-cased.
    std::vector<std::string> SearchKeys;
    int64_t SearchPosition = -1;
    bool MailWasFound = false;
};
