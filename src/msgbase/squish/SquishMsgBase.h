// A Squish message base: .SQD holds the base header and the frames (letters
// and free frames, each kind in its own doubly linked chain), .SQI one index
// record per letter in letter order, .SQL the last-read values. The letter
// numbers given out are the letters' unique ids (umsgid), which are never
// reused; a letter's position in the index is its display number.
//
// The whole index is held in memory and read again only when another writer
// changed the files. Every change of the chains, the base header or the
// index happens under the one-byte lock at offset 0 of .SQD, after a fresh
// read of the base header (LockBase), and is written as it is made, in an
// order that leaves a sound base wherever the process may die
// (squish/README.md states the rules). The writing half of the class lives
// in SquishWriting.cpp.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "msgbase/FileUndo.h"
#include "msgbase/MsgBase.h"
#include "msgbase/squish/SquishLayout.h"

// Status codes of this format, besides the file errors of the file layer.
constexpr Status SquishNoLock = 5;            // the base lock could not be taken
constexpr Status SquishNoIndexFile = 100;     // .SQI could not be opened
constexpr Status SquishShortRead = 100;       // a record lies (partly) outside its file
constexpr Status SquishBaseOpen = 176;        // CreateBase while .SQD is open here
constexpr Status SquishIndexSeek = 300;       // .SQI could not be positioned or cut
constexpr Status SquishNoIndex = 999;         // no index image (memory)
constexpr Status SquishBadHeader = 1001;      // the base header's length or frame header size is impossible
constexpr Status SquishNoSuchLetter = 1002;    // the current letter is not (or no longer) in the base
constexpr Status SquishBaseFull = 1003;       // a frame would lie beyond the 32-bit offsets
constexpr Status SquishBaseExists = 80;       // CreateBase over an existing .SQD
constexpr Status SquishPartlyMissing = 1004;  // .SQD is missing but .SQI holds letters: not rebuilt

class SquishMsgBase : public MsgBase {
public:
    SquishMsgBase();
    ~SquishMsgBase() override;

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
    void SetMailType(uint8_t) override { }
    Status DeleteLetter() override;
    uint32_t CountLetters() override;
    Num GetLastRead(uint32_t user) override;
    void SetLastRead(uint32_t user, Num number) override;
    Num GetDisplayNumber() override;
    int64_t GetTextPos() override;
    void SetTextPos(int64_t position) override;

    bool HasExportMark() const override { return true; }
    bool LocksForRuns() const override { return true; }
    Status HeaderStatus() const override { return HeaderError; }

    // Beyond the interface: the code of the last step that failed (0 = none
    // since the last operation that clears it), and the base path in use.
    Status LastStatus() const { return StatusWord; }
    const std::string& BasePath() const { return Path; }

private:
    static constexpr std::size_t FreeCacheSize = 500;  // free frames known at once

    struct FreeEntry {
        uint32_t Offset = 0;  // 0 = empty entry
        uint32_t Length = 0;
    };
    struct FrameChoice {
        uint32_t Offset = 0;
        uint32_t Length = 0;
        bool Reused = false;
        SquishFrameHeader Old{};  // the free frame's header, when reused
    };

    std::string FileName(const char* lowerExtension) const;
    Status Fail(Status status);
    bool IndexHasLetters() const;
    Status WriteNewBaseHeader(const std::string& sqdName, const SquishBaseHeader& header);

    // What the files looked like when the index image was last known to be
    // theirs. Every writer that adds or removes a letter rewrites the base
    // header (count, next number, chains) and writes .SQI: the same header
    // bytes, the same sizes and the same time of .SQI mean the same index.
    struct FilesState {
        std::string Header;  // the base header's bytes; empty: unknown
        int64_t SqdSize = -1;
        FileChangeStamp Sqi;
        bool operator==(const FilesState&) const = default;
    };

    Status ReadFilesState(FilesState& state);
    Status ParseBaseHeader(const std::string& image);
    Status ReadBaseAgain(bool evenIfUnchanged);
    std::string BaseHeaderImage(const SquishBaseHeader& header) const;
    bool WriteBaseHeader(FileUndo& undo);
    Status LoadIndex();
    void DropNonLetters();
    Status WriteIndex();
    bool WriteIndexRecords(uint32_t from, uint32_t count);
    void Refresh();
    uint32_t Count() const { return static_cast<uint32_t>(Index.size()); }
    uint32_t PositionFrom(Num number) const;

    const char* HeadersOf(uint32_t position);
    void ForgetReadAhead();

    bool ReadAt(uint64_t offset, void* buffer, uint32_t size);
    // Reads at most size bytes; the count read (0 with StatusWord on failure).
    uint32_t ReadUpTo(uint64_t offset, void* buffer, uint32_t size);
    std::string_view ControlInfoStart(const char* headers);
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t size);
    bool ReadFrameHeader(uint32_t offset, SquishFrameHeader& frame);
    bool WriteFrameHeader(uint32_t offset, const SquishFrameHeader& frame);
    int64_t SqdSize();

    // Takes the lock unless this object holds it already; tookLock says
    // whether it was taken here. False: no lock, nothing may change.
    bool BeginChange(bool& tookLock);
    // Releases the lock when it was taken here.
    Status EndChange(bool tookLock, Status status);
    bool ReleaseLock();

    void FillFreeCache();
    bool FrameIsUnused(uint32_t offset, uint32_t length);
    Status ChooseFrame(uint32_t size, FrameChoice& choice);
    bool UnlinkFreeFrame(const FrameChoice& choice, FileUndo& undo);
    bool RelinkNeighbour(uint32_t neighbour, uint16_t kind, uint32_t SquishFrameHeader::*link, uint32_t value,
                         FileUndo& undo);
    bool AppendToLetterChain(uint32_t offset, FileUndo& undo);
    uint32_t NextUid() const;
    Status StoreLetter(uint32_t size, const FrameChoice& choice);
    Status DeleteByUid(uint32_t uid);
    void FreeFrame(uint32_t offset);
    void Purge();
    Status RewriteMessageHeader();

    void ApplyHeader(const LetterHeader& wanted);
    void SetAttr(uint32_t bit, bool on);
    bool HasAttr(uint32_t bit) const { return (Msg.attr & bit) != 0; }
    bool MatchesSearch();

    std::string Path;
    FileRecord Sqd;
    FileRecord Sqi;
    Status StatusWord = 0;

    // The base header as read (len bytes: the known 256 and what follows).
    SquishBaseHeader Base{};
    std::array<char, SquishMaxBaseHeaderSize - SquishBaseHeaderSize> BaseTail{};
    uint32_t HeaderLen = SquishBaseHeaderSize;
    uint32_t FrameHeaderLen = SquishFrameHeaderSize;  // sz_sqhdr as read

    std::vector<SquishIndexRecord> Index;  // the letters: num_msg records, in number order
    bool HaveIndex = false;
    bool IndexRepaired = false;    // records were dropped or sorted: the file must be written anew
    FilesState IndexState;         // the files the image is known to match
    bool IndexInDoubt = false;     // a change under the lock failed: read the index again next time
    uint32_t HighestIndexUid = 0;
    bool Locked = false;

    std::vector<FreeEntry> FreeCache;
    bool FreeCacheValid = false;

    // The current letter.
    uint32_t IndexPos = 0;
    uint32_t FrameOffset = 0;
    uint32_t CurrentUid = 0;
    bool HeaderLoaded = false;
    Status HeaderError = 0;        // why the last LoadHeader read nothing
    SquishFrameHeader Frame{};
    SquishMessageHeader Msg{};
    SquishMessageHeader LoadedMsg{};  // as read, to tell what the setters changed

    // Headers read ahead during a walk: the bytes of .SQD from At on, read
    // When. They serve one walk for a short time only: a seek other than
    // SeekNext, a change, a look at the base again forget them.
    struct ReadAhead {
        std::string Bytes;
        uint64_t At = 0;
        std::chrono::steady_clock::time_point When;
    };
    ReadAhead Ahead;
    uint32_t LastLoaded = 0;  // index position of the last header loaded; 0 after a seek

    // The start of the control information, when the block read ahead does
    // not hold it.
    std::string ControlPeek;

    // Writing: the stored bytes of the letter being built and its date.
    std::string WriteBuffer;
    DateTime NextDate = 0;

    // Reading: control lines made from the control information, then the
    // text; the text ends at ReadLimit (the first zero byte or the end).
    std::string ReadBuffer;
    std::size_t ReadPos = 0;
    std::size_t ReadLimit = 0;

    // Searching by recipient.
    std::string SearchName, SearchAlias;  // upper case
    std::vector<uint32_t> SearchHashes;   // of every stored form of both
};
