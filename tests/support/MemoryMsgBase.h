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
    uint32_t Flags = 0;  // MemoryFlag bits
    std::string Text;    // stored bytes, lines ended by CR
};
// The header keeps no character set (as in Hudson): names read by the rule
// until the text, whose CHRS line decides, is read.

enum MemoryFlag : uint32_t {
    MemLocal = 1, MemReceived = 2, MemPrivate = 4, MemCrash = 8, MemKillSent = 16, MemSent = 32,
    MemFileAttach = 64, MemReceiptRequest = 128, MemAuditRequest = 256, MemReturnReceipt = 512,
    MemFileRequest = 1024, MemRead = 2048,
};

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

    void SetDestAddr(const FidoAddress& a) override { Building.Dest = a; }
    void SetOrigAddr(const FidoAddress& a) override { Building.Orig = a; }
    void SetFrom(const std::string& s) override;
    void SetTo(const std::string& s) override;
    void SetSubject(const std::string& s) override;
    void SetCost(uint16_t c) override { Target().Cost = c; }
    void SetReplyTo(Num n) override { Target().ReplyTo = n; }
    void SetFirstReply(Num n) override { Target().FirstReply = n; }
    void SetDateTime(DateTime d) override { Target().Date = d; }
    void SetLocal(bool on) override { Flag(MemLocal, on); }
    void SetReceived(bool on) override { Flag(MemReceived, on); }
    void SetPrivate(bool on) override { Flag(MemPrivate, on); }
    void SetCrash(bool on) override { Flag(MemCrash, on); }
    void SetKillSent(bool on) override { Flag(MemKillSent, on); }
    void SetSent(bool on) override { Flag(MemSent, on); }
    void SetFileAttach(bool on) override { Flag(MemFileAttach, on); }
    void SetReceiptRequest(bool on) override { Flag(MemReceiptRequest, on); }
    void SetAuditRequest(bool on) override { Flag(MemAuditRequest, on); }
    void SetReturnReceipt(bool on) override { Flag(MemReturnReceipt, on); }
    void SetFileRequest(bool on) override { Flag(MemFileRequest, on); }
    void SetRead(bool on) override { Flag(MemRead, on); }

    void WriteChar(char ch) override;
    Status WriteLetter() override;

    char ReadChar() override;
    bool TextEnded() override { return TextPos >= static_cast<int64_t>(Loaded.Text.size()); }

    std::string GetFrom() override;
    std::string GetTo() override;
    std::string GetSubject() override;
    uint16_t GetCost() override { return Loaded.Cost; }
    DateTime GetDateTime() override { return Loaded.Date; }
    Num GetReplyTo() override { return Loaded.ReplyTo; }
    Num GetFirstReply() override { return Loaded.FirstReply; }
    Num GetNumber() override { return Current; }
    void GetOrigAddr(FidoAddress& a) override { a = Loaded.Orig; }
    void GetDestAddr(FidoAddress& a) override { a = Loaded.Dest; }

    bool IsLocal() override { return Loaded.Flags & MemLocal; }
    bool IsCrash() override { return Loaded.Flags & MemCrash; }
    bool IsKillSent() override { return Loaded.Flags & MemKillSent; }
    bool IsSent() override { return Loaded.Flags & MemSent; }
    bool IsFileAttach() override { return Loaded.Flags & MemFileAttach; }
    bool IsReceiptRequest() override { return Loaded.Flags & MemReceiptRequest; }
    bool IsAuditRequest() override { return Loaded.Flags & MemAuditRequest; }
    bool IsReturnReceipt() override { return Loaded.Flags & MemReturnReceipt; }
    bool IsFileRequest() override { return Loaded.Flags & MemFileRequest; }
    bool IsReceived() override { return Loaded.Flags & MemReceived; }
    bool IsPrivate() override { return Loaded.Flags & MemPrivate; }
    bool IsDeleted() override { return Store->Letters.count(Current) == 0; }
    bool IsEcho() override { return true; }
    bool IsRead() override { return Loaded.Flags & MemRead; }

    uint32_t GetPosition() override { return Current; }
    void SetPosition(uint32_t p) override { Current = p; }
    void LoadHeader() override;
    void StartText() override;
    void StartNewLetter() override;

    void SeekFirst(Num number) override;
    void SeekNext() override;
    void SeekPrior() override;
    bool SeekFound() override { return Store->Letters.count(Current) != 0; }
    void FindMailFirst(const std::string&, const std::string&) override { Current = 0; }
    void FindMailNext() override { Current = 0; }
    bool MailFound() override { return false; }

    Num GetHighNumber() override { return Store->High; }
    void SetMailType(uint8_t) override {}
    Status RewriteHeader() override;
    Status DeleteLetter() override;
    uint32_t CountLetters() override { return static_cast<uint32_t>(Store->Letters.size()); }
    Num GetLastRead(uint32_t) override { return 0; }
    void SetLastRead(uint32_t, Num) override {}
    int64_t GetTextPos() override { return TextPos; }
    void SetTextPos(int64_t p) override { TextPos = p; }

    std::string Path;

private:
    MemoryLetter& Target() { return NewLetter ? Building : Loaded; }
    void Flag(uint32_t bit, bool on) { Target().Flags = on ? (Target().Flags | bit) : (Target().Flags & ~bit); }

    std::shared_ptr<MemoryStore> Store;
    Num Current = 0;
    MemoryLetter Loaded;
    MemoryLetter Building;
    bool NewLetter = false;
    int64_t TextPos = 0;
};
