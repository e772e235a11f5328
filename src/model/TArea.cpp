#include "model/TArea.h"

#include <chrono>
#include <memory>

#include "core/MessagePump.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "model/ModelEvents.h"
#include "model/Session.h"
#include "model/TFilteredLetterList.h"

TArea::TArea(Session& owner, const std::string& tag, const std::string& description, const std::string& baseSpec)
    : TAreaWithDisk(owner, tag, description, baseSpec)
{
}

TArea::~TArea()
{
    NotifyForms(&ModelObserver::AreaDestroyed, *this);
    Current = nullptr;
    Letters.FreeItems();
}

int TArea::Compare(const TLetter& a, const TLetter& b)
{
    if (int c = CompareDates(a.Date, b.Date); c != 0)
        return c;
    return Utf8CompareStr(a.Subject, b.Subject);
}

void TArea::SortLetters()
{
    Letters.StableSort([](const TLetter& a, const TLetter& b) { return Compare(a, b) < 0; });
}

std::vector<std::unique_ptr<TLetter>> TArea::ReadLetters()
{
    std::vector<std::unique_ptr<TLetter>> letters;
    try {
        Open();
    } catch (const ECantOpenArea&) {
        return {};
    }
    try {
        // A window opened meanwhile replaces Base with a fresh object; this
        // read keeps walking the object it started on.
        MsgBase* base = Base.get();
        Walking = base;
        struct WalkEnd {
            MsgBase*& Walking;
            ~WalkEnd() { Walking = nullptr; }
        } walkEnd{Walking};
        base->SeekFirst(1);
        bool first = true;
        while (base->SeekFound()) {
            ProcessMessages();
            // The flag is looked at afresh before the first letter, then at a
            // bounded rate: a look can cost a few system calls, a letter less.
            if (first ? Owner.StopRequestedNow() : Owner.StopRequested())
                break;
            first = false;
            base->LoadHeader();
            if (base->HeaderStatus() != 0) {  // a letter whose header cannot be read is left out
                base->SeekNext();
                continue;
            }
            LetterHeader header = base->Header();
            letters.push_back(std::make_unique<TLetter>(this, header.Number, header.ReplyTo, std::move(header.Subject),
                                                        std::move(header.From), std::move(header.To), header.Written,
                                                        !header.Flags.Has(LetterFlag::Read)));
            base->SeekNext();
        }
    } catch (...) {
        try {
            Close();
        } catch (const ECantCloseArea&) {
        }
        throw;
    }
    try {
        Close();
    } catch (const ECantCloseArea&) {
    }
    return letters;
}

void TArea::InstallLetters(std::vector<std::unique_ptr<TLetter>> letters)
{
    Current = nullptr;  // it is one of the letters freed here
    Letters.Adopt(std::move(letters));
    for (TLetter* letter : Letters) {
        letter->Area = this;
        letter->Replies.clear();
    }
    SortLetters();
    Letters.BuildNumberIndex();
    for (TLetter* letter : Letters)
        letter->AttachToParent();
    Letters.DropNumberIndex();
    Recount();
}

void TArea::Recount()
{
    int32_t unread = 0;
    for (TLetter* letter : Letters)
        if (letter->Unread)
            ++unread;
    UnreadCount = unread;
    ReadCount = 0;
}

void TArea::Load()
{
    if (Loaded || Loading)
        return;
    Loading = true;
    CurrentKey = Current ? Current->Key : 0;
    NotifyForms(&ModelObserver::LettersLoading, *this);

    auto finish = [this] {
        if (UnreadCount == 0)
            SetCurrent(nullptr);
        else
            SetCurrent(FindByKey(CurrentKey));
        Loading = false;
        NotifyForms(&ModelObserver::LettersChanged, *this);
    };
    try {
        InstallLetters(ReadLetters());
    } catch (...) {
        Recount();
        finish();
        throw;
    }
    Loaded = true;
    finish();
}

void TArea::SetCurrent(TLetter* letter)
{
    if (letter == Current)
        return;
    Current = letter;
    if (!Loading)
        NotifyForms(&ModelObserver::CurrentLetterChanged, *this);
}

TLetter* TArea::FindByKey(int32_t key) const
{
    if (key == 0)
        return nullptr;
    for (TLetter* letter : Letters)
        if (letter->Key == key)
            return letter;
    return nullptr;
}

std::string TArea::StatusText() const
{
    std::string state;
    if (Loaded && OpenFailed())
        state = "не открыта: " + OpenProblem;
    else if (Loaded)
        state = Format("%d осталось, %d прочитал, %d всего", UnreadCount, ReadCount,
                       static_cast<int>(Letters.Count()));
    else if (Loading)
        state = "Сканируется...";
    else
        state = "Не отсканирована";
    return Tag + ": " + state;
}

std::string TArea::StatusTextOf(const TArea* area)
{
    return area ? area->StatusText() : std::string();
}

namespace {

// Marks made one after another share the base's lock where the format
// allows it: one lock for a run of letters instead of one each. The lock is
// given back after a short run, so that a tosser waiting for it is not held
// up, and before anything lets window messages run (a window may replace or
// close the base meanwhile).
class LockedRun {
public:
    explicit LockedRun(TArea& area) : Area(area) { Take(); }
    ~LockedRun() { Give(); }
    LockedRun(const LockedRun&) = delete;
    LockedRun& operator=(const LockedRun&) = delete;

    void Take()
    {
        MsgBase* base = Area.Base.get();
        if (base && base->LocksForRuns() && base->LockBase())
            Held = base;
        Since = std::chrono::steady_clock::now();
    }
    void Give()
    {
        if (Held)
            Held->UnlockBase();
        Held = nullptr;
    }
    // After each mark: a run that has lasted long enough ends.
    void Marked()
    {
        if (Held && std::chrono::steady_clock::now() - Since >= MaxRun) {
            Give();
            Take();
        }
    }

private:
    static constexpr std::chrono::milliseconds MaxRun{20};
    TArea& Area;
    MsgBase* Held = nullptr;
    std::chrono::steady_clock::time_point Since;
};

}  // namespace

void TArea::MarkAllRead()
{
    const std::string what = "пометить письма прочитанными";
    Owner.Tosser.WaitFor(what);
    try {
        LockedRun run(*this);
        for (TLetter* letter : Letters) {
            if (!letter->Unread)
                continue;
            // A tosser that starts meanwhile is waited for too; looking at
            // its flag for every letter would cost more than the marks.
            if (Owner.Tosser.RunningLately()) {
                run.Give();
                Owner.Tosser.WaitFor(what);
                run.Take();
            }
            run.Marked();
            try {
                letter->StoreReadMark(false);
            } catch (const ELetterNotFound&) {
                // Another program took the letter out of the base: there is
                // nothing left to mark, and the others are marked all the same.
            }
        }
    } catch (...) {
        // The letters marked before the failure are counted: tell the windows.
        NotifyForms(&ModelObserver::CountsChanged, *this);
        throw;
    }
    NotifyForms(&ModelObserver::CountsChanged, *this);
}

TLetter* TArea::AddLetter(std::unique_ptr<TLetter> added)
{
    TLetter* letter = Letters.Add(std::move(added));
    letter->Area = this;
    letter->AttachToParent();
    if (letter->Unread)
        ++UnreadCount;
    if (letter->ReadNow)
        ++ReadCount;
    Resettle(letter);
    return letter;
}

std::unique_ptr<TLetter> TArea::RemoveLetter(TLetter* letter, TLetter* nextCurrent)
{
    letter->DetachFromParent();
    std::unique_ptr<TLetter> removed = Letters.Remove(letter);
    if (letter->Unread)
        --UnreadCount;
    if (letter->ReadNow)
        --ReadCount;
    Resettle(nextCurrent);
    return removed;
}

void TArea::Resettle(TLetter* current)
{
    SortLetters();
    Current = current;
    NotifyForms(&ModelObserver::LettersChanged, *this);
    if (!Loading)
        NotifyForms(&ModelObserver::CurrentLetterChanged, *this);
    NotifyForms(&ModelObserver::CountsChanged, *this);
}
