#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "core/MessagePump.h"
#include "model/ModelEvents.h"
#include "model/Session.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"

namespace {

// A memory base that cannot be opened.
class ClosedDoorBase : public MemoryMsgBase {
public:
    Status OpenBase() override { return 5; }
};

// A memory base whose close fails.
class StickyBase : public MemoryMsgBase {
public:
    Status CloseBase() override { return 5; }
};

struct PumpHook {
    explicit PumpHook(std::function<void()> hook) { SetProcessMessagesHook(std::move(hook)); }
    ~PumpHook() { SetProcessMessagesHook(nullptr); }
};

// The session's tosser flag, in a directory of its own.
struct FlagFile {
    TempDir Dir;
    explicit FlagFile(Session& session) { session.SetStart({Dir / "toss.flag", "", ""}); }
    void Raise() const { WriteFileBytes(Dir / "toss.flag", ""); }
};

}  // namespace

TEST(AreaLoad, ReadsSortsLinksAndCounts)
{
    std::string spec = FreshMemorySpec();
    std::vector<Num> n = WriteLetters(spec, {{.From = "a", .Subject = "b-subject", .Date = 300},
                                             {.From = "b", .Subject = "a-subject", .Date = 100, .Read = true},
                                             {.From = "c", .Subject = "later", .Date = 300},
                                             {.From = "d", .Subject = "x", .Date = 200}});
    WriteLetters(spec, {{.From = "e", .Subject = "x", .Date = 150, .ReplyTo = n[1]}});
    Session session;
    TArea area(session, "RU.TEST", "Description", spec);
    EventRecorder form;
    area.Load();
    EXPECT_TRUE(area.Loaded);
    EXPECT_FALSE(area.Loading);
    ASSERT_EQ(area.Letters.Count(), 5u);
    std::string order;
    for (TLetter* letter : area.Letters)
        order += letter->From;
    EXPECT_EQ(order, "bedac") << "by date, equal dates by subject";
    EXPECT_EQ(area.UnreadCount, 4);
    EXPECT_EQ(area.ReadCount, 0);
    ASSERT_EQ(area.Letters.LetterByNumber(n[1])->Replies.size(), 1u);
    EXPECT_EQ(area.Letters.LetterByNumber(n[1])->Replies[0]->From, "e");
    EXPECT_EQ(area.StatusText(), "RU.TEST: 4 осталось, 0 прочитал, 5 всего");
    EXPECT_EQ(form.NamesFor(&area),
              (std::vector<std::string>{"LettersLoading", "AreaOpened", "AreaClosed", "LettersChanged"}));
    EXPECT_EQ(area.OpenCount, 0);
    EXPECT_EQ(area.Base, nullptr);

    form.Events.clear();
    area.Load();
    EXPECT_TRUE(form.Events.empty()) << "loaded once per reload";
}

TEST(AreaLoad, StatusTextWhileLoadingAndBefore)
{
    std::string spec = FreshMemorySpec();
    WriteLetters(spec, {{}, {}});
    Session session;
    TArea area(session, "TAG", "D", spec);
    EXPECT_EQ(area.StatusText(), "TAG: Не отсканирована");
    EXPECT_EQ(TArea::StatusTextOf(nullptr), "");
    std::vector<std::string> seen;
    int nested = 0;
    PumpHook hook([&] {
        seen.push_back(area.StatusText());
        area.Load();  // re-entered from a window message: returns at once
        ++nested;
    });
    area.Load();
    EXPECT_EQ(nested, 2) << "messages run once per letter";
    EXPECT_EQ(seen.front(), "TAG: Сканируется...");
    EXPECT_EQ(area.Letters.Count(), 2u);
}

TEST(AreaLoad, CurrentLetterAfterALoad)
{
    std::string spec = FreshMemorySpec();
    std::vector<Num> n = WriteLetters(spec, {{.Subject = "one", .Date = 1}, {.Subject = "two", .Date = 2}});
    Session session;
    TArea area(session, "TAG", "D", spec);
    area.Load();
    area.SetCurrent(area.Letters.LetterByNumber(n[1]));
    EventRecorder form;
    area.Loaded = false;
    area.Load();
    ASSERT_NE(area.Current, nullptr);
    EXPECT_EQ(area.Current->Number, n[1]) << "found again by its key";
    EXPECT_EQ(area.CurrentKey, area.Current->Key);
    EXPECT_EQ(form.NamesFor(&area),
              (std::vector<std::string>{"LettersLoading", "AreaOpened", "AreaClosed", "LettersChanged"}))
        << "no current-letter message while loading";

    // The current letter vanished from the base: none after the load.
    MemoryMsgBase::StoreNamed(spec.substr(1))->Letters.erase(n[1]);
    area.Loaded = false;
    area.Load();
    EXPECT_EQ(area.Current, nullptr);

    // Nothing unread: no current letter, whatever it was.
    area.SetCurrent(area.Letters.LetterByNumber(n[0]));
    for (auto& [number, letter] : MemoryMsgBase::StoreNamed(spec.substr(1))->Letters)
        letter.Flags.Set(LetterFlag::Read);
    area.Loaded = false;
    area.Load();
    EXPECT_EQ(area.UnreadCount, 0);
    EXPECT_EQ(area.Current, nullptr);
}

TEST(AreaLoad, StopsBetweenLettersWhenTheTosserStarts)
{
    Session session;
    FlagFile flag(session);
    std::string spec = FreshMemorySpec();
    WriteLetters(spec, {{}, {}, {}, {}, {}});
    TArea area(session, "TAG", "D", spec);
    ManualTosserClock clock(session.Tosser);
    int pumped = 0;
    PumpHook hook([&] {
        clock.Advance(std::chrono::milliseconds(20));  // a letter every 20 ms
        if (++pumped == 3)
            flag.Raise();  // the tosser starts while the third letter is due
    });
    area.Load();
    EXPECT_EQ(area.Letters.Count(), 3u) << "the flag is seen within one check interval";
    EXPECT_TRUE(area.Loaded) << "the partly read area counts as loaded";
    EXPECT_EQ(area.OpenCount, 0);

    // With the flag already there, not a single letter is read.
    area.Loaded = false;
    area.Load();
    EXPECT_EQ(area.Letters.Count(), 0u);
    EXPECT_TRUE(area.Loaded);
}

TEST(AreaOpen, CountedOpeningAndItsMessages)
{
    std::string spec = FreshMemorySpec();
    Session session;
    TArea area(session, "TAG", "D", spec);
    EventRecorder form;
    area.Open();
    MsgBase* first = area.Base.get();
    area.Open();
    EXPECT_NE(area.Base.get(), first) << "every open makes a fresh base object";
    EXPECT_EQ(area.OpenCount, 2);
    area.Close();
    EXPECT_NE(area.Base, nullptr);
    area.Close();
    EXPECT_EQ(area.Base, nullptr);
    EXPECT_EQ(form.Names(), (std::vector<std::string>{"AreaOpened", "AreaOpened", "AreaClosed"}));

    // Closing what is not open fails clearly and keeps the count at zero.
    EXPECT_THROW(area.Close(), ECantCloseArea);
    EXPECT_EQ(area.OpenCount, 0);
    try {
        area.Close();
    } catch (const ECantCloseArea& e) {
        EXPECT_EQ(std::string(e.what()), "Не смог закрыть область \"TAG\"");
    }
    area.Open();
    area.Close();
    EXPECT_EQ(area.Base, nullptr);
}

TEST(AreaOpen, UnknownFormatAndRefusingBases)
{
    RegisterBaseFormat('Y', [] { return std::make_unique<ClosedDoorBase>(); });
    RegisterBaseFormat('Z', [] { return std::make_unique<StickyBase>(); });
    for (const std::string spec : {"Q/some/where", "Yclosed-door"}) {
        Session session;
        TArea area(session, "TAG", "D", spec);
        EventRecorder form;
        try {
            area.Open();
            ADD_FAILURE() << "opened " << spec;
        } catch (const ECantOpenArea& e) {
            EXPECT_EQ(std::string(e.what()), "Не смог открыть/создать область \"TAG\" (" + spec + ")");
        }
        EXPECT_EQ(area.OpenCount, 0);
        EXPECT_EQ(area.Base, nullptr);
        area.Load();
        EXPECT_TRUE(area.Loaded) << "an area that cannot be opened loads empty";
        EXPECT_EQ(area.Letters.Count(), 0u);
        EXPECT_EQ(area.OpenCount, 0) << "a failed open is not closed";
        EXPECT_EQ(form.Names(), (std::vector<std::string>{"LettersLoading", "LettersChanged"}));
    }

    std::string sticky = "Z" + FreshMemorySpec().substr(1);
    WriteLetters(sticky, {{}, {}});
    Session session;
    TArea area(session, "TAG", "D", sticky);
    area.Load();
    EXPECT_EQ(area.Letters.Count(), 2u) << "a failed close keeps what was read";
    EXPECT_EQ(area.Base, nullptr);
    area.Open();
    EXPECT_THROW(area.Close(), ECantCloseArea);
    EXPECT_EQ(area.Base, nullptr);
}

TEST(AreaOpen, WindowOpeningDuringALoadDoesNotDisturbIt)
{
    std::string spec = FreshMemorySpec();
    WriteLetters(spec, {{}, {}, {}, {}});
    Session session;
    TArea area(session, "TAG", "D", spec);
    int pumped = 0;
    PumpHook hook([&] {
        if (++pumped == 2)
            area.Open();  // an area window opens meanwhile
    });
    area.Load();
    EXPECT_EQ(area.Letters.Count(), 4u);
    EXPECT_EQ(area.OpenCount, 1);
    ASSERT_NE(area.Base, nullptr);
    area.Base->SeekFirst(1);
    EXPECT_TRUE(area.Base->SeekFound()) << "the window's base object is usable";
    area.Close();
    EXPECT_EQ(area.Base, nullptr);
}

TEST(AreaLetters, AddRemoveMarkAllAndCurrent)
{
    std::string spec = FreshMemorySpec();
    std::vector<Num> n = WriteLetters(spec, {{.Subject = "a", .Date = 10}, {.Subject = "b", .Date = 20}});
    Session session;
    TArea area(session, "TAG", "D", spec);
    area.Load();
    area.Open();
    EventRecorder form;

    TLetter* reply = new TLetter(&area, 77, n[0], "a", "me", "you", 5, false);
    reply->ReadNow = true;
    area.AddLetter(std::unique_ptr<TLetter>(reply));
    EXPECT_EQ(area.Current, reply);
    EXPECT_EQ(area.Letters.At(0), reply) << "sorted in by date";
    EXPECT_EQ(area.Letters.LetterByNumber(n[0])->Replies, std::vector<TLetter*>{reply});
    EXPECT_EQ(area.ReadCount, 1);
    EXPECT_EQ(form.Names(), (std::vector<std::string>{"LettersChanged", "CurrentLetterChanged", "CountsChanged"}));

    form.Events.clear();
    TLetter* b = area.Letters.LetterByNumber(n[1]);
    std::unique_ptr<TLetter> removed = area.RemoveLetter(reply, b);
    EXPECT_EQ(removed.get(), reply) << "handed to the caller";
    EXPECT_EQ(area.Current, b);
    EXPECT_TRUE(area.Letters.LetterByNumber(n[0])->Replies.empty());
    EXPECT_EQ(area.ReadCount, 0);
    EXPECT_EQ(area.Letters.Count(), 2u);
    EXPECT_EQ(form.Names(), (std::vector<std::string>{"LettersChanged", "CurrentLetterChanged", "CountsChanged"}));
    removed.reset();

    form.Events.clear();
    area.SetCurrent(b);
    EXPECT_TRUE(form.Events.empty());
    area.SetCurrent(nullptr);
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CurrentLetterChanged"});

    form.Events.clear();
    area.MarkAllRead();
    EXPECT_EQ(area.UnreadCount, 0);
    EXPECT_EQ(area.ReadCount, 2);
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CountsChanged"});
    EXPECT_EQ(area.FindByKey(0), nullptr);
    EXPECT_EQ(area.FindByKey(b->Key), b);
    area.Close();
}

TEST(AreaLetters, DestroyingTellsTheWindowsFirst)
{
    Session session;
    auto* area = new TArea(session, "TAG", "D", FreshMemorySpec());
    InstallLetters(*area, {MakeLetter(*area, 1, 0, "s", "a", 1, true)});
    area->Open();
    EventRecorder form;
    std::size_t lettersWhenTold = 0;
    form.OnEvent = [&](const std::string& name, TArea* told) {
        if (name == "AreaDestroyed")
            lettersWhenTold = told->Letters.Count();
    };
    delete area;  // open and holding letters: nothing leaks (the sanitizer checks)
    EXPECT_EQ(form.Names(), std::vector<std::string>{"AreaDestroyed"});
    EXPECT_EQ(lettersWhenTold, 1u);
}

TEST(AreaLetters, MarkAllReadPassesOverLettersGoneFromTheBase)
{
    std::string spec = FreshMemorySpec();
    std::vector<Num> n = WriteLetters(spec, {{.Subject = "a", .Date = 10}, {.Subject = "b", .Date = 20},
                                             {.Subject = "c", .Date = 30}});
    Session session;
    TArea area(session, "TAG", "D", spec);
    area.Load();
    area.Open();
    // Another program deletes the middle letter behind the area's back.
    std::unique_ptr<MsgBase> other = CreateBaseFor(spec);
    ASSERT_EQ(other->OpenBase(), 0);
    other->SeekFirst(n[1]);
    ASSERT_EQ(other->DeleteLetter(), 0);
    other->CloseBase();

    EventRecorder form;
    EXPECT_NO_THROW(area.MarkAllRead());
    EXPECT_FALSE(area.Letters.LetterByNumber(n[0])->Unread);
    EXPECT_TRUE(area.Letters.LetterByNumber(n[1])->Unread) << "nothing to mark";
    EXPECT_FALSE(area.Letters.LetterByNumber(n[2])->Unread) << "the letters after it are marked too";
    EXPECT_EQ(area.UnreadCount, 1);
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CountsChanged"});
    area.Base->SeekFirst(n[2]);
    area.Base->LoadHeader();
    EXPECT_TRUE(area.Base->Header().Flags.Has(LetterFlag::Read));
    area.Close();
}
