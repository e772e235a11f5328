#include "model/TLetter.h"

#include <bit>
#include <cstring>

#include "core/Crc32.h"
#include "core/StringHelpers.h"
#include "model/ModelEvents.h"
#include "model/Session.h"
#include "model/TArea.h"

ELetterNotFound::ELetterNotFound(Num number)
    : EQuorvel(Format("Не найдено письмо #%u", number)), Number(number)
{
}

ECantMarkRead::ECantMarkRead(Num number, Status status)
    : EQuorvel(Format("Не смог пометить письмо #%u как прочитанное (ошибка %u)", number,
                      unsigned(status)))
{
}

ECantDeleteLetter::ECantDeleteLetter(Num number, Status status)
    : EQuorvel(Format("Не смог удалить письмо #%u (ошибка %u)", number, unsigned(status)))
{
}

int32_t LetterKey(const std::string& subject, const std::string& from, const std::string& to, DateTime date)
{
    // The date's eight bytes as an IEEE double, lowest byte first.
    uint64_t bits = std::bit_cast<uint64_t>(date);
    uint32_t d = 0xFFFFFFFF;
    for (int i = 0; i < 8; ++i)
        d = Crc32Update(static_cast<uint8_t>(bits >> (8 * i)), d);
    uint32_t k = Crc32Update(static_cast<uint8_t>(d), 0xFFFFFFFF);
    k = Crc32Update(static_cast<uint8_t>(Crc32UpperName(to)), k);
    k = Crc32Update(static_cast<uint8_t>(Crc32UpperName(from)), k);
    k = Crc32Update(static_cast<uint8_t>(Crc32UpperName(subject)), k);
    return static_cast<int32_t>(k);
}

TLetter::TLetter(TArea* area, Num number, Num replyTo, std::string subject, std::string from, std::string to,
                 DateTime date, bool unread)
    : Area(area), Key(LetterKey(subject, from, to, date)), Number(number), ReplyTo(replyTo),
      Subject(std::move(subject)), From(std::move(from)), To(std::move(to)), Date(date), Unread(unread)
{
}

MsgBase& TLetter::OpenBase() const
{
    // Reading or changing a letter needs its area open; without a base the
    // letter cannot be found.
    if (!Area || !Area->Base)
        throw ELetterNotFound(Number);
    return *Area->Base;
}

void TLetter::Seek()
{
    MsgBase& base = OpenBase();
    base.SeekFirst(Number);
    if (!base.SeekFound())
        throw ELetterNotFound(Number);
}

bool TLetter::StillValid()
{
    try {
        Seek();
    } catch (const ELetterNotFound&) {
        // Nothing at or above the number: whatever our key, the letter is gone.
        return false;
    }
    MsgBase& base = *Area->Base;
    base.LoadHeader();
    const LetterHeader header = base.Header();
    return LetterKey(header.Subject, header.From, header.To, header.Written) == Key;
}

void TLetter::ReadText(std::vector<std::string>& lines)
{
    MsgBase& base = OpenBase();
    std::size_t first = lines.size();
    base.StartText();
    while (!base.TextEnded()) {
        std::string line = base.ReadLine(65535);
        std::string expanded;
        expanded.reserve(line.size());
        for (char ch : line) {
            if (ch == '\t')
                expanded.append(8, ' ');
            else
                expanded += ch;
        }
        lines.push_back(std::move(expanded));
    }
    while (lines.size() > first && lines.back().empty())
        lines.pop_back();
}

TLetterText TLetter::ReadLetter()
{
    TLetterText letter;
    ReadText(letter.Lines);
    MsgBase& base = *Area->Base;
    letter.Set = base.GetTextCharset();
    LetterHeader header = base.Header();
    letter.From = std::move(header.From);
    letter.To = std::move(header.To);
    letter.Subject = std::move(header.Subject);
    return letter;
}

void TLetter::MarkRead(bool notify)
{
    if (!Unread)
        return;
    Area->Owner.Tosser.WaitFor("пометить письмо прочитанным");
    StoreReadMark(notify);
}

void TLetter::StoreReadMark(bool notify)
{
    if (!Unread)
        return;
    // The letter at our number must still be this one: otherwise the mark
    // would land on a letter the user has not seen.
    if (!StillValid())
        throw ELetterNotFound(Number);
    MsgBase& base = *Area->Base;
    LetterHeader header = base.Header();
    header.Flags.Set(LetterFlag::Read);
    if (Status status = base.RewriteHeader(header); status != 0)
        throw ECantMarkRead(Number, status);
    Unread = false;
    --Area->UnreadCount;
    ReadNow = true;
    ++Area->ReadCount;
    if (notify)
        NotifyForms(&ModelObserver::CountsChanged, *Area);
}

void TLetter::DeleteFromBase()
{
    Area->Owner.Tosser.WaitFor("удалить письмо");
    // Never delete whatever letter happens to stand at our number now.
    if (!StillValid())
        throw ELetterNotFound(Number);
    if (Status status = Area->Base->DeleteLetter(); status != 0)
        throw ECantDeleteLetter(Number, status);
}

bool TLetter::ForEachInThread(const std::function<bool(TLetter*, TTreeNode*)>& callback)
{
    // Each walk takes a fresh mark, so a letter met twice (reply links in a
    // circle) is not walked again; the explicit stack keeps long chains of
    // answers off the call stack.
    static uint32_t lastMark = 0;
    uint32_t mark = ++lastMark;
    if (mark == 0)
        mark = ++lastMark;
    std::vector<TLetter*> stack{this};
    while (!stack.empty()) {
        TLetter* letter = stack.back();
        stack.pop_back();
        if (letter->WalkMark == mark)
            continue;
        letter->WalkMark = mark;
        if (callback(letter, letter->Node))
            return true;
        for (auto it = letter->Replies.rbegin(); it != letter->Replies.rend(); ++it)
            stack.push_back(*it);
    }
    return false;
}

void TLetter::AttachToParent()
{
    if (ReplyTo == 0)
        return;
    if (TLetter* parent = Area->Letters.FindByNumber(ReplyTo))
        parent->Replies.push_back(this);
    else
        ReplyTo = 0;
}

void TLetter::DetachFromParent()
{
    if (ReplyTo == 0)
        return;
    // The letter answered may be gone already (deleted earlier in this run):
    // then there is nothing to leave, and the caller's work goes on.
    TLetter* parent = Area->Letters.FindByNumber(ReplyTo);
    if (!parent)
        return;
    TReplyList& replies = parent->Replies;
    for (auto it = replies.begin(); it != replies.end(); ++it) {
        if (*it == this) {
            replies.erase(it);
            break;
        }
    }
}

void TLetter::Assign(const TLetter& other)
{
    Number = other.Number;
    Key = other.Key;
    From = other.From;
    To = other.To;
    Subject = other.Subject;
    Date = other.Date;
}
