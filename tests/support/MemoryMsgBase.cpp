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

void MemoryMsgBase::SetFrom(const std::string& s)
{
    Target().From = EncodeField(s, SIZE_MAX);
}

void MemoryMsgBase::SetTo(const std::string& s)
{
    Target().To = EncodeField(s, SIZE_MAX);
}

void MemoryMsgBase::SetSubject(const std::string& s)
{
    Target().Subject = EncodeField(s, SIZE_MAX);
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

std::string MemoryMsgBase::GetFrom()
{
    return DecodeHeader(Loaded.From);
}

std::string MemoryMsgBase::GetTo()
{
    return DecodeHeader(Loaded.To);
}

std::string MemoryMsgBase::GetSubject()
{
    return StripRePrefixes(DecodeHeader(Loaded.Subject));
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

void MemoryMsgBase::StartNewLetter()
{
    Building = MemoryLetter{};
    NewLetter = true;
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

Status MemoryMsgBase::RewriteHeader()
{
    auto it = Store->Letters.find(Current);
    if (it == Store->Letters.end())
        return 2;
    std::string text = it->second.Text;
    it->second = Loaded;
    it->second.Text = text;
    return 0;
}

Status MemoryMsgBase::DeleteLetter()
{
    return Store->Letters.erase(Current) ? 0 : 2;
}
