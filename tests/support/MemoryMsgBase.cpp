#include "support/MemoryMsgBase.h"

#include "core/StringHelpers.h"
#include "msgbase/MsgBaseFactory.h"

std::shared_ptr<MemoryStore> MemoryMsgBase::StoreNamed(const std::string& name)
{
    static std::map<std::string, std::shared_ptr<MemoryStore>> stores;
    auto& store = stores[name];
    if (!store)
        store = std::make_shared<MemoryStore>();
    return store;
}

void MemoryMsgBase::RegisterFormat()
{
    RegisterBaseFormat('M', [] { return std::make_unique<MemoryMsgBase>(); });
}

void MemoryMsgBase::SetBasePath(const std::string& spec)
{
    Path = spec;
    Store = StoreNamed(spec);
}

Num MemoryMsgBase::Add(MemoryLetter letter)
{
    Num number = ++Store->High;
    Store->Letters[number] = std::move(letter);
    return number;
}

// The fields that differ from the header as it stands, as the formats take them.
void MemoryMsgBase::Take(const LetterHeader& header, MemoryLetter& letter)
{
    const LetterHeader was = Header();
    if (header.From != was.From)
        letter.From = EncodeField(header.From, SIZE_MAX);
    if (header.To != was.To)
        letter.To = EncodeField(header.To, SIZE_MAX);
    if (header.Subject != was.Subject)
        letter.Subject = EncodeField(header.Subject, SIZE_MAX);
    letter.Date = header.Written;
    letter.Orig = header.Orig;
    letter.Dest = header.Dest;
    letter.ReplyTo = header.ReplyTo;
    letter.FirstReply = header.FirstReply;
    letter.Cost = header.Cost;
    letter.Flags = header.Flags;
    letter.Flags.Set(LetterFlag::Echo, false);
    letter.Flags.Set(LetterFlag::Deleted, false);
}

void MemoryMsgBase::WriteChar(char ch)
{
    Building.Text += ch;
}

Status MemoryMsgBase::WriteLetter()
{
    if (Store->WritesFailing > 0) {
        --Store->WritesFailing;
        return 5;
    }
    Current = Add(Building);
    Loaded = Building;
    NewLetter = false;
    return 0;
}

char MemoryMsgBase::ReadChar()
{
    if (TextEnded())
        return 0;
    return Loaded.Text[static_cast<std::size_t>(TextPos++)];
}

LetterHeader MemoryMsgBase::Header()
{
    const MemoryLetter& letter = NewLetter ? Building : Loaded;
    LetterHeader header;
    header.Number = NewLetter ? 0 : Current;
    header.From = DecodeHeader(letter.From);
    header.To = DecodeHeader(letter.To);
    header.Subject = StripRePrefixes(DecodeHeader(letter.Subject));
    header.Written = letter.Date;
    header.Orig = letter.Orig;
    header.Dest = letter.Dest;
    header.ReplyTo = letter.ReplyTo;
    header.FirstReply = letter.FirstReply;
    header.Cost = letter.Cost;
    header.Flags = letter.Flags;
    header.Flags.Set(LetterFlag::Echo);
    header.Flags.Set(LetterFlag::Deleted, !NewLetter && Store->Letters.count(Current) == 0);
    header.Set = HeaderDecodingSet();
    return header;
}

void MemoryMsgBase::LoadHeader()
{
    BeginHeader();
    NewLetter = false;
    auto it = Store->Letters.find(Current);
    if (it != Store->Letters.end())
        Loaded = it->second;
}

void MemoryMsgBase::StartText()
{
    TextPos = 0;
    LastLineWrapped = false;
    ResolveTextCharset(Loaded.Text);
}

void MemoryMsgBase::StartNewLetter(const LetterHeader& header)
{
    Building = MemoryLetter{};
    NewLetter = true;
    Take(header, Building);
}

void MemoryMsgBase::SeekFirst(Num number)
{
    // Past the end the position stays beyond the highest number, so that
    // SeekPrior finds the last letter.
    auto it = Store->Letters.lower_bound(number == 0 ? 1 : number);
    Current = it == Store->Letters.end() ? Store->High + 1 : it->first;
}

void MemoryMsgBase::SeekNext()
{
    auto it = Store->Letters.upper_bound(Current);
    Current = it == Store->Letters.end() ? Store->High + 1 : it->first;
}

void MemoryMsgBase::SeekPrior()
{
    auto it = Store->Letters.lower_bound(Current);
    Current = it == Store->Letters.begin() ? 0 : std::prev(it)->first;
}

Status MemoryMsgBase::RewriteHeader(const LetterHeader& header)
{
    auto it = Store->Letters.find(Current);
    if (it == Store->Letters.end())
        return 2;
    Take(header, Loaded);
    Loaded.Text = it->second.Text;
    it->second = Loaded;
    return 0;
}

Status MemoryMsgBase::DeleteLetter()
{
    return Store->Letters.erase(Current) ? 0 : 2;
}
