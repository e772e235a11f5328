// A message base held in memory, for tests of what lies above the interface
// (the inherited line readers, the model). Letters live in a shared store so
// that two objects can see one "base", as two windows or a tosser would.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "msgbase/MsgBase.h"

struct MemoryLetter {
    std::string From, To, Subject;  // stored bytes
    DateTime Date = 0;
    FidoAddress Orig, Dest;
    Num ReplyTo = 0, FirstReply = 0;
    uint16_t Cost = 0;
    LetterFlags Flags;   // never Echo (every letter is exported) nor Deleted
    std::string Text;    // stored bytes, lines ended by CR
};
// The header keeps no character set (as in Hudson): names read by the rule
// until the text, whose CHRS line decides, is read.

struct MemoryStore {
    std::map<Num, MemoryLetter> Letters;
    Num High = 0;
    int WritesFailing = 0;  // the next WriteLetter calls fail with status 5
};

class MemoryMsgBase : public MsgBase {
public:
    explicit MemoryMsgBase(std::shared_ptr<MemoryStore> store = std::make_shared<MemoryStore>())
        : Store(std::move(store))
    {
    }
    std::shared_ptr<MemoryStore> Shared() const { return Store; }
    // Makes "M<name>" base strings create memory bases; objects given the same
    // name share one store, as two objects on the same files would.
    static void RegisterFormat();
    static std::shared_ptr<MemoryStore> StoreNamed(const std::string& name);
    // Adds a letter directly (in stored bytes); returns its number.
    Num Add(MemoryLetter letter);

    void SetBasePath(const std::string& spec) override;
    Status OpenBase() override { return 0; }
    Status CloseBase() override { return 0; }
    Status CreateBase(uint16_t, uint16_t) override { return 0; }
    bool BaseExists() override { return true; }

    LetterHeader Header() override;
    Status RewriteHeader(const LetterHeader& header) override;

    void WriteChar(char ch) override;
    Status WriteLetter() override;

    char ReadChar() override;
    bool TextEnded() override { return TextPos >= static_cast<int64_t>(Loaded.Text.size()); }

    Num GetNumber() override { return Current; }
    uint32_t GetPosition() override { return Current; }
    void SetPosition(uint32_t p) override { Current = p; }
    void LoadHeader() override;
    void StartText() override;
    void StartNewLetter(const LetterHeader& header) override;

    void SeekFirst(Num number) override;
    void SeekNext() override;
    void SeekPrior() override;
    bool SeekFound() override { return Store->Letters.count(Current) != 0; }
    void FindMailFirst(const std::string&, const std::string&) override { Current = 0; }
    void FindMailNext() override { Current = 0; }
    bool MailFound() override { return false; }

    Num GetHighNumber() override { return Store->High; }
    void SetMailType(uint8_t) override { }
    Status DeleteLetter() override;
    uint32_t CountLetters() override { return static_cast<uint32_t>(Store->Letters.size()); }
    Num GetLastRead(uint32_t) override { return 0; }
    void SetLastRead(uint32_t, Num) override {}
    int64_t GetTextPos() override { return TextPos; }
    void SetTextPos(int64_t p) override { TextPos = p; }

    std::string Path;

private:
    void Take(const LetterHeader& header, MemoryLetter& letter);

    std::shared_ptr<MemoryStore> Store;
    Num Current = 0;
    MemoryLetter Loaded;
    MemoryLetter Building;
    bool NewLetter = false;
    int64_t TextPos = 0;
};
