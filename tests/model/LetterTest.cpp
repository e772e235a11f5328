#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "ModelTestSupport.h"
#include "core/Startup.h"
#include "core/TosserFlag.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "model/TFilteredLetterList.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"

namespace {

// A memory base whose header rewrites fail, as a locked or read-only base does.
class StubbornBase : public MemoryMsgBase {
public:
    Status RewriteHeader(const LetterHeader&) override { return 5; }
    Status DeleteLetter() override { return 5; }
};

// An area on a fresh memory base holding the given letters, loaded and open.
struct LoadedArea {
    explicit LoadedArea(const std::vector<LetterSpec>& letters, const std::string& spec = FreshMemorySpec())
        : Area(Owner, "AREA", "Description", spec)
    {
        Numbers = WriteLetters(spec, letters);
        Area.Load();
        Area.Open();
    }
    ~LoadedArea() { Area.Close(); }
    std::shared_ptr<MemoryStore> Store() const { return MemoryMsgBase::StoreNamed(Area.BaseSpec.substr(1)); }
    Session Owner;
    TArea Area;
    std::vector<Num> Numbers;
};

}  // namespace

TEST(LetterKey, KnownValueFoldsLatinCaseAndCountsEverySecond)
{
    EXPECT_EQ(LetterKey("abc", "A", "B", 0.0), static_cast<int32_t>(0xC3F7BF0C));
    EXPECT_EQ(LetterKey("abc", "A", "B", 0.0), -1007173876);
    // Latin letters are folded; the date counts to the last bit.
    EXPECT_EQ(LetterKey("ABC", "a", "b", 0.0), LetterKey("abc", "A", "B", 0.0));
    EXPECT_NE(LetterKey("abc", "A", "B", 45000.5), LetterKey("abc", "A", "B", 45000.5 + 1.0 / 86400));
    Session session;
    TArea area(session, "T", "D", "Mx");
    TLetter letter(&area, 7, 0, "abc", "A", "B", 0.0, true);
    EXPECT_EQ(letter.Key, -1007173876);
    EXPECT_FALSE(letter.ReadNow);
    EXPECT_EQ(letter.Node, nullptr);
}

TEST(LetterLinks, AttachDetachAndMissingParents)
{
    Session session;
    TArea area(session, "T", "D", "Mx");
    std::vector<TLetter*> letters = {
        MakeLetter(area, 1, 0, "s", "a", 1, false), MakeLetter(area, 3, 1, "s", "c", 3, false),
        MakeLetter(area, 2, 1, "s", "b", 2, false), MakeLetter(area, 4, 99, "s", "d", 4, false),
        MakeLetter(area, 5, 3, "s", "e", 5, false)};
    InstallLetters(area, letters);
    TLetter* root = area.Letters.LetterByNumber(1);
    // Replies in the area's order (by date), not by number or reading order.
    ASSERT_EQ(root->Replies.size(), 2u);
    EXPECT_EQ(root->Replies[0]->Number, 2u);
    EXPECT_EQ(root->Replies[1]->Number, 3u);
    EXPECT_EQ(area.Letters.LetterByNumber(4)->ReplyTo, 0u) << "a reply to a missing letter becomes a root";
    EXPECT_THROW(area.Letters.LetterByNumber(42), ESilentAbort);

    area.Letters.LetterByNumber(3)->DetachFromParent();
    ASSERT_EQ(root->Replies.size(), 1u);
    EXPECT_EQ(root->Replies[0]->Number, 2u);

    // The letter answered was deleted earlier: leaving it is not an error.
    TLetter* orphan = area.Letters.LetterByNumber(5);
    TLetter* parent = area.Letters.LetterByNumber(3);
    area.Letters.Remove(parent);  // freed at once
    EXPECT_NO_THROW(orphan->DetachFromParent());
}

TEST(LetterLinks, ManyAnswersKeepTheirOrderWhenOneLeaves)
{
    // The answers' list grows past its first blocks; one in the middle leaves.
    Session session;
    TArea area(session, "T", "D", "Mx");
    std::vector<TLetter*> letters{MakeLetter(area, 1, 0, "s", "root", 1, false)};
    for (Num n = 2; n <= 12; ++n)
        letters.push_back(MakeLetter(area, n, 1, "s", "a" + std::to_string(n), n, false));
    InstallLetters(area, letters);
    area.Letters.LetterByNumber(7)->DetachFromParent();
    std::vector<Num> numbers;
    for (TLetter* reply : area.Letters.LetterByNumber(1)->Replies)
        numbers.push_back(reply->Number);
    EXPECT_EQ(numbers, (std::vector<Num>{2, 3, 4, 5, 6, 8, 9, 10, 11, 12}));
}

TEST(LetterLinks, DuplicateNumbersLinkToTheFirstInListOrder)
{
    Session session;
    TArea area(session, "T", "D", "Mx");
    InstallLetters(area, {MakeLetter(area, 5, 0, "late", "a", 10, false), MakeLetter(area, 5, 0, "early", "b", 1, false),
                         MakeLetter(area, 6, 5, "reply", "c", 20, false)});
    TLetter* first = area.Letters.LetterByNumber(5);
    EXPECT_EQ(first->Subject, "early");
    ASSERT_EQ(first->Replies.size(), 1u);
    EXPECT_EQ(first->Replies[0]->Number, 6u);
}

// Letters that compare equal keep the order they came in: the area's order
// (date, subject) keeps the base's, the thread roots' (subject, date) the
// area's.
TEST(LetterOrder, EqualLettersKeepTheirOrder)
{
    Session session;
    TArea area(session, "T", "D", "Mx");
    const std::vector<std::string> senders = {"c", "a", "e", "b", "d", "f", "h", "g"};
    std::vector<TLetter*> letters;
    for (std::size_t i = 0; i < senders.size(); ++i)
        letters.push_back(MakeLetter(area, Num(i + 1), 0, "same", senders[i], 7, false));
    InstallLetters(area, letters);
    std::vector<std::string> order;
    for (TLetter* letter : area.Letters)
        order.push_back(letter->From);
    EXPECT_EQ(order, senders) << "the area's order";

    TFilteredLetterList roots;
    roots.Letters.assign(letters.rbegin(), letters.rend());
    roots.Sort();
    EXPECT_EQ(roots.Letters, std::vector<TLetter*>(letters.rbegin(), letters.rend())) << "the thread roots' order";
}

TEST(LetterThreads, PreOrderStopsEarlyAndSurvivesCycles)
{
    Session session;
    TArea area(session, "T", "D", "Mx");
    InstallLetters(area, {MakeLetter(area, 1, 0, "s", "a", 1, false), MakeLetter(area, 2, 1, "s", "b", 2, false),
                         MakeLetter(area, 3, 2, "s", "c", 3, false), MakeLetter(area, 4, 1, "s", "d", 4, false),
                         // 10 -> 11 -> 10 and 12 -> 12: circles without a root
                         MakeLetter(area, 10, 11, "x", "p", 5, false), MakeLetter(area, 11, 10, "x", "q", 6, false),
                         MakeLetter(area, 12, 12, "y", "r", 7, false)});
    std::string order;
    EXPECT_FALSE(area.Letters.LetterByNumber(1)->ForEachInThread([&](TLetter* l, TTreeNode*) {
        order += l->From;
        return false;
    }));
    EXPECT_EQ(order, "abcd") << "an answer's answers come before the next answer";

    order.clear();
    EXPECT_TRUE(area.Letters.LetterByNumber(1)->ForEachInThread([&](TLetter* l, TTreeNode*) {
        order += l->From;
        return l->From == "c";
    }));
    EXPECT_EQ(order, "abc");

    order.clear();
    EXPECT_FALSE(area.Letters.LetterByNumber(10)->ForEachInThread([&](TLetter* l, TTreeNode*) {
        order += l->From;
        return false;
    }));
    EXPECT_EQ(order, "pq");
    order.clear();
    area.Letters.LetterByNumber(12)->ForEachInThread([&](TLetter* l, TTreeNode*) {
        order += l->From;
        return false;
    });
    EXPECT_EQ(order, "r");
}

TEST(LetterText, TabsTrailingEmptyLinesAndAppending)
{
    LoadedArea a({{.Lines = {"a\tb", "", "  ", "", ""}}, {.Lines = {"", ""}}, {.Lines = {"\t"}}});
    std::vector<std::string> lines = {"kept"};
    TLetter* first = a.Area.Letters.LetterByNumber(a.Numbers[0]);
    ASSERT_TRUE(first->StillValid());
    first->ReadText(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"kept", "a        b", "", "  "}));

    lines.clear();
    TLetter* empty = a.Area.Letters.LetterByNumber(a.Numbers[1]);
    ASSERT_TRUE(empty->StillValid());
    empty->ReadText(lines);
    EXPECT_TRUE(lines.empty());

    TLetter* tab = a.Area.Letters.LetterByNumber(a.Numbers[2]);
    ASSERT_TRUE(tab->StillValid());
    tab->ReadText(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"        "}));
}

TEST(LetterIdentity, StillValidSeesReplacementAndDisappearance)
{
    LoadedArea a({{.Subject = "one"}, {.Subject = "two"}, {.Subject = "three"}});
    TLetter* two = a.Area.Letters.LetterByNumber(a.Numbers[1]);
    EXPECT_TRUE(two->StillValid());
    EXPECT_EQ(a.Area.Base->Header().Subject, "two") << "left standing on the letter, header loaded";

    // Another program put a different letter under the same number.
    a.Store()->Letters[a.Numbers[1]].Subject = "other";
    EXPECT_FALSE(two->StillValid());

    // Deleted: the next letter up answers SeekFirst, but it is not this one.
    a.Store()->Letters.erase(a.Numbers[1]);
    EXPECT_FALSE(two->StillValid());
    EXPECT_NO_THROW(two->Seek());
    TLetter* three = a.Area.Letters.LetterByNumber(a.Numbers[2]);
    a.Store()->Letters.erase(a.Numbers[2]);
    EXPECT_FALSE(three->StillValid());
    EXPECT_THROW(three->Seek(), ELetterNotFound);
    try {
        three->Seek();
    } catch (const ELetterNotFound& e) {
        EXPECT_EQ(std::string(e.what()), "Не найдено письмо #" + std::to_string(a.Numbers[2]));
    }
}

// A letter whose set only its text names (KOI8-R): the list keeps the names
// as the scan read them, reading the letter gives them by its set, and the
// letter is still itself for marking it read afterwards.
TEST(LetterText, ReadLetterGivesTheHeaderByTheTextsSetAndTheLetterStaysItself)
{
    LoadedArea l({{.From = "Мир", .Subject = "Тема", .Lines = {"\x01" "CHRS: KOI8-R 2", "Привет"},
                   .Set = Charset::Koi8R}});
    TLetter* letter = l.Area.Letters.At(0);
    EXPECT_NE(letter->From, "Мир") << "the scan reads KOI8-R bytes by the default set";
    const std::string scanned = letter->From;
    ASSERT_TRUE(letter->StillValid());
    TLetterText read = letter->ReadLetter();
    EXPECT_EQ(read.Set, Charset::Koi8R);
    EXPECT_EQ(read.From, "Мир");
    EXPECT_EQ(read.Subject, "Тема");
    EXPECT_EQ(read.Lines.back(), "Привет");
    EXPECT_EQ(letter->From, scanned);
    letter->MarkRead(false);
    EXPECT_FALSE(letter->Unread);
    EXPECT_TRUE(l.Store()->Letters.at(l.Numbers[0]).Flags.Has(LetterFlag::Read)) << "the mark is stored on this letter";
}

TEST(LetterMarkRead, StoresTheMarkCountsAndTellsOnce)
{
    LoadedArea a({{.Subject = "one"}, {.Subject = "two", .Read = true}});
    EventRecorder form;
    TLetter* one = a.Area.Letters.LetterByNumber(a.Numbers[0]);
    ASSERT_EQ(a.Area.UnreadCount, 1);
    one->MarkRead(true);
    EXPECT_FALSE(one->Unread);
    EXPECT_TRUE(one->ReadNow);
    EXPECT_TRUE(one->WasUnread());
    EXPECT_EQ(a.Area.UnreadCount, 0);
    EXPECT_EQ(a.Area.ReadCount, 1);
    EXPECT_EQ(a.Area.NewCount(), 1);
    EXPECT_EQ(form.Names(), std::vector<std::string>{"CountsChanged"});
    EXPECT_TRUE(a.Store()->Letters[a.Numbers[0]].Flags.Has(LetterFlag::Read)) << "the mark is in the base";

    form.Events.clear();
    one->MarkRead(true);
    a.Area.Letters.LetterByNumber(a.Numbers[1])->MarkRead(true);
    EXPECT_TRUE(form.Events.empty()) << "letters already read change nothing";
    EXPECT_EQ(a.Area.ReadCount, 1);
}

TEST(LetterMarkRead, NeverMarksAnotherLetter)
{
    LoadedArea a({{.Subject = "one"}, {.Subject = "two"}});
    TLetter* one = a.Area.Letters.LetterByNumber(a.Numbers[0]);
    a.Store()->Letters.erase(a.Numbers[0]);  // deleted by another program
    EXPECT_THROW(one->MarkRead(true), ELetterNotFound);
    EXPECT_FALSE(a.Store()->Letters[a.Numbers[1]].Flags.Has(LetterFlag::Read));
    EXPECT_TRUE(one->Unread);
    EXPECT_EQ(a.Area.UnreadCount, 2);
}

TEST(LetterMarkRead, RefusedMarkIsReportedAndNotCounted)
{
    RegisterBaseFormat('X', [] { return std::make_unique<StubbornBase>(); });
    std::string name = FreshMemorySpec().substr(1);
    LoadedArea a({{.Subject = "one"}, {.Subject = "two"}}, "X" + name);
    EventRecorder form;
    TLetter* one = a.Area.Letters.LetterByNumber(a.Numbers[0]);
    EXPECT_THROW(one->MarkRead(true), ECantMarkRead);
    EXPECT_TRUE(one->Unread);
    EXPECT_EQ(a.Area.UnreadCount, 2);
    EXPECT_EQ(a.Area.ReadCount, 0);
    EXPECT_TRUE(form.Events.empty());
    EXPECT_THROW(one->DeleteFromBase(), ECantDeleteLetter);
}

TEST(LetterDelete, DeletesItselfOnly)
{
    LoadedArea a({{.Subject = "one"}, {.Subject = "two"}});
    TLetter* one = a.Area.Letters.LetterByNumber(a.Numbers[0]);
    one->DeleteFromBase();
    EXPECT_EQ(a.Store()->Letters.count(a.Numbers[0]), 0u);
    EXPECT_THROW(one->DeleteFromBase(), ELetterNotFound);
    EXPECT_EQ(a.Store()->Letters.count(a.Numbers[1]), 1u) << "the next letter up is not taken for it";
}

TEST(LetterBase, ClosedAreaFindsNoLetter)
{
    Session session;
    TArea area(session, "T", "D", FreshMemorySpec());
    InstallLetters(area, {MakeLetter(area, 1, 0, "s", "a", 1, true)});
    EXPECT_THROW(area.Letters.LetterByNumber(1)->Seek(), ELetterNotFound);
    EXPECT_FALSE(area.Letters.LetterByNumber(1)->StillValid());
}

TEST(LetterWrites, WaitForTheTosserAndWriteNothingWhenTheWaitIsGivenUp)
{
    TempDir dir;
    const std::string flag = dir / "toss.flag";
    struct Op {
        const char* Name;
        std::function<void(LoadedArea&)> Run;
    };
    const Op ops[] = {
        {"mark read", [](LoadedArea& a) { a.Area.Letters.LetterByNumber(a.Numbers[0])->MarkRead(true); }},
        {"mark all read", [](LoadedArea& a) { a.Area.MarkAllRead(); }},
        {"delete", [](LoadedArea& a) { a.Area.Letters.LetterByNumber(a.Numbers[0])->DeleteFromBase(); }},
    };
    for (const Op& op : ops) {
        SCOPED_TRACE(op.Name);
        LoadedArea a({{.Subject = "one"}, {.Subject = "two"}});
        a.Owner.SetStart({flag, "", ""});
        TosserFlag& tosser = a.Owner.Tosser;
        auto unchanged = [&a] {
            return a.Store()->Letters.size() == 2 && !(a.Store()->Letters[a.Numbers[0]].Flags.Has(LetterFlag::Read)) &&
                a.Area.UnreadCount == 2;
        };
        WriteFileBytes(flag, "");

        tosser.SetWaiter(nullptr);
        EXPECT_THROW(op.Run(a), ETosserBusy) << "nobody to wait: refused";
        EXPECT_TRUE(unchanged());

        std::vector<std::string> waitedFor;
        tosser.SetWaiter([&](const std::string& what) {
            waitedFor.push_back(what);
            return false;  // given up, the flag still there
        });
        EXPECT_THROW(op.Run(a), ETosserBusy);
        EXPECT_EQ(waitedFor.size(), 1u);
        EXPECT_TRUE(unchanged());
        EXPECT_FALSE(tosser.Waiting());

        // The tosser finishes while the write waits: then it is done.
        tosser.SetWaiter([&](const std::string&) {
            EXPECT_TRUE(tosser.Waiting());
            std::remove(flag.c_str());
            return true;
        });
        op.Run(a);
        EXPECT_FALSE(unchanged());
    }
}
