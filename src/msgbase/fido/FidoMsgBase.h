// The Fido *.MSG message base: a directory in which every letter is one file
// named by its number ("12.msg"), a 190-byte header followed by the text.
// A loaded letter is read through a buffered file opened for reading only;
// RewriteHeader changes a copy of its header, and RewriteHeader writes the changed
// bits into the header as it is on disk then. The object keeps at most one
// letter file open. Which numbers exist is learnt
// when the base is opened; letters other programs add later are seen when it
// is opened again (or when a post finds their number taken). New letters are built in a temporary file and renamed
// into place complete, so a tosser never sees half a letter.
#pragma once

#include <string>

#include "msgbase/BufferedFile.h"
#include "msgbase/MsgBase.h"
#include "msgbase/fido/FidoLetterNumbers.h"

class FidoMsgBase : public MsgBase {
public:
    // Statuses of this format besides the host's file error codes.
    static constexpr Status DirectoryMissing = 500;     // OpenBase
    static constexpr Status CannotCreate = 1;           // CreateBase
    static constexpr Status LetterMissing = 200;        // no such letter file
    static constexpr Status CannotOpenLetter = 1000;
    static constexpr Status NoTempName = 1001;          // no temporary file could be made
    static constexpr Status CannotOpenTemp = 1002;
    static constexpr Status HeaderTooShort = 1003;      // a damaged letter's header is not written
    static constexpr Status NoNumberLeft = 1004;        // the directory holds letter 65535 already
    static constexpr Status NothingToWrite = 1005;      // WriteLetter without StartNewLetter
    static constexpr uint16_t DefaultZone = 1;
    static constexpr uint32_t WindowSize = 4000;
    // A temporary file of ours older than this (seconds) is a post that was
    // killed: no post takes that long to write its file.
    static constexpr int64_t StaleTempAge = 3600;

    FidoMsgBase();
    ~FidoMsgBase() override;

    void SetBasePath(const std::string& spec) override;
    Status OpenBase() override;
    Status CloseBase() override;
    Status CreateBase(uint16_t maxLetters, uint16_t maxDays) override;
    bool BaseExists() override;

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

    Status HeaderStatus() const override { return HeaderError; }

    // The directory, ending with the separator.
    const std::string& Directory() const { return Dir; }

private:
    BufferedFile File;
    std::string Dir;
    std::string DirOs;  // the directory as the OS names it, found once at OpenBase
    DirectoryRecord DirHandle;  // the directory, open from OpenBase on: letters are opened in it
    FidoLetterNumbers Numbers;

    Num Current = 0;
    bool LetterOpen = false;   // File holds the current letter's file
    bool Building = false;     // File holds the temporary file of a new letter
    std::string TempName;
    int64_t LoadedSize = 0;    // size of the letter file when it was loaded
    int64_t TextPos = 0;       // reading and writing share it
    int64_t TextEnd = 0;       // offset of the NUL, or the file size
    Status InternalError = 0;  // why the letter could not be loaded or started
    Status WriteError = 0;     // the first header or text write that failed
    Status HeaderError = 0;    // why the last LoadHeader read nothing

    // The loaded letter's header: as read, and as RewriteHeader changed it.
    uint8_t LoadedHeader[FidoMsg::HeaderSize] = {};
    uint8_t HeaderBytes[FidoMsg::HeaderSize] = {};

    FidoAddress Dest, Orig;
    DateTime When = 0;
    uint8_t MailType = MailLocal;
    std::string SearchName, SearchAlias;

    std::string PathOf(Num number) const { return Dir + Numbers.NameOf(number); }
    std::string LastReadPath() const;
    // One stat of the letter's own name: the walk over a large directory
    // asks this for every letter.
    bool LetterFileExists(Num number) const;
    Status CloseLetterFiles();
    void DiscardTemp();
    void RemoveStaleTempFiles(const std::vector<std::string>& names);
    Status WriteChangedHeader();
    void ResetLetterState();

    // Field access in the open file; reads give zeros where the file has no bytes.
    uint32_t ReadAt(int64_t offset, void* buffer, uint32_t count);
    uint16_t ReadWordAt(uint32_t offset);
    std::string ReadStringAt(uint32_t offset, uint32_t maxLength);
    void WriteAt(int64_t offset, const void* buffer, uint32_t count);
    void WriteWordAt(uint32_t offset, uint16_t value);
    void WriteStringAt(uint32_t offset, const std::string& text, uint32_t fieldSize);
    void WritePackedDateAt(uint32_t offset, uint32_t dosDateTime);
    void WriteDate(DateTime when);
    void ApplyHeader(const LetterHeader& wanted);

    void ParseControlLine(const std::string& line);
    void ScanText();
    void StartLine();
    void WriteAddressLines(const char* pointKeyword, uint16_t point, uint16_t otherZone);
    bool AcceptedByMailSearch();
};
