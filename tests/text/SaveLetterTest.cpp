// Saving what an editor holds: the letter in the base (header, control
// lines, text) and in the area, over a memory base, then over every format.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <memory>

#include "core/CharsetDecoder.h"
#include "core/MsgIdSerial.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "text/PreparedText.h"
#include "text/SaveLetter.h"

namespace {

using Lines = std::vector<std::string>;

const DateTime Now = EncodeDate(2024, 5, 6) + EncodeTime(10, 11, 12, 345);
const DateTime NowMinutes = EncodeDate(2024, 5, 6) + EncodeTime(10, 11, 0);

class Saving : public ::testing::Test {
protected:
    Session Owner;
    UserSettings& Settings = Owner.Settings;

    void SetUp() override
    {
        Settings.UserName = "Ivan Petrov";
        Settings.MainAddress = {2, 5020, 1234, 5};
        MemoryMsgBase::RegisterFormat();
        static int serial = 0;
        Name = "saving-" + std::to_string(++serial);
        Store = MemoryMsgBase::StoreNamed(Name);
        Area = std::make_unique<TArea>(Owner, "RU.TEST", "Test area", "M" + Name);
    }

    Num Write(const LetterSpec& spec)
    {
        MemoryMsgBase base(Store);
        return WriteLetterTo(base, spec);
    }

    void OpenArea()
    {
        Area->Open();
        Area->Load();
    }

    EditorState Editor(int mode, TLetter* answered = nullptr)
    {
        EditorState e;
        e.Mode = mode;
        e.Area = Area.get();
        e.From = Settings.UserName;
        e.FromAddress = "2:5020/1234.5";
        e.To = "All";
        e.Subject = "Subject";
        if (answered) {
            e.AnsweredKey = answered->Key;
            ReadAnsweredText(e, *answered);
        }
        e.Modified = true;
        return e;
    }

    // The stored text of a letter, split at its carriage returns (a text that
    // ends with one has an empty last piece) and decoded by its CHRS line,
    // which must close the control lines that open the text; the CHRS line
    // itself is left out.
    Lines Stored(Num number)
    {
        const std::string& stored = Store->Letters.at(number).Text;
        Lines lines;
        std::size_t start = 0;
        for (std::size_t cr; (cr = stored.find('\r', start)) != std::string::npos; start = cr + 1)
            lines.push_back(stored.substr(start, cr - start));
        lines.push_back(stored.substr(start));
        auto chrs = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return IsCharsetKludge(l); });
        StoredSet = Charset::None;
        if (chrs == lines.end()) {
            ADD_FAILURE() << "no CHRS line in letter " << number;
            return lines;
        }
        StoredSet = CharsetOfKludge(*chrs);
        EXPECT_EQ(*chrs, "\x01" + CharsetKludge(StoredSet));
        EXPECT_TRUE(chrs + 1 == lines.end() || (*(chrs + 1))[0] != KludgeMark) << "CHRS closes the control lines";
        EXPECT_TRUE(std::all_of(lines.begin(), chrs, [](const std::string& l) { return l[0] == KludgeMark; }));
        lines.erase(chrs);
        for (std::string& line : lines)
            line = DecodeAs(line, StoredSet);
        return lines;
    }
    Charset StoredSet = Charset::None;  // of the letter Stored read last

    Num Newest() const { return Store->Letters.rbegin()->first; }

    std::string Name;
    std::shared_ptr<MemoryStore> Store;
    std::unique_ptr<TArea> Area;
};

bool IsSerial(const std::string& text)
{
    if (text.size() != 8)
        return false;
    for (char ch : text)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F')))
            return false;
    return true;
}

}  // namespace

TEST_F(Saving, NewLetterHasOneMsgIdNoReplyAndJoinsTheArea)
{
    OpenArea();
    EditorState e = Editor(NewLetterMode);
    e.Lines = {"Hello", "", "Bye"};
    ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved);
    EXPECT_FALSE(e.Modified);

    ASSERT_EQ(Store->Letters.size(), 1u);
    const Num number = Newest();
    const MemoryLetter& stored = Store->Letters.at(number);
    Lines text = Stored(number);
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text[0].substr(0, 22), "\x01MSGID: 2:5020/1234.5 ");
    EXPECT_TRUE(IsSerial(text[0].substr(22))) << text[0];
    EXPECT_EQ(Lines(text.begin() + 1, text.end()), (Lines{"Hello", "", "Bye", ""})) << "every line ends with CR";
    EXPECT_EQ(stored.ReplyTo, 0u);
    EXPECT_EQ(stored.Orig, (FidoAddress{2, 5020, 1234, 5}));
    EXPECT_EQ(stored.Date, NowMinutes) << "seconds and milliseconds dropped";
    EXPECT_EQ(stored.Flags, (LetterFlags{LetterFlag::Local, LetterFlag::Read}));
    EXPECT_EQ(stored.From, "Ivan Petrov");

    ASSERT_EQ(Area->Letters.Count(), 1u);
    TLetter* letter = Area->Letters.At(0);
    EXPECT_EQ(Area->Current, letter);
    EXPECT_EQ(letter->Number, number);
    EXPECT_EQ(letter->Key, LetterKey("Subject", "Ivan Petrov", "All", NowMinutes));
    EXPECT_FALSE(letter->Unread);
    EXPECT_TRUE(letter->ReadNow);
    EXPECT_EQ(Area->UnreadCount, 0);
    EXPECT_EQ(Area->ReadCount, 1);

    // A from-address without a zone takes the main address's zone (and no point).
    EditorState partial = Editor(NewLetterMode);
    partial.FromAddress = "5020/77";
    SaveLetter(partial, Now);
    EXPECT_EQ(Stored(Newest())[0].substr(0, 18), "\x01MSGID: 2:5020/77 ");
    EXPECT_EQ(Store->Letters.at(Newest()).Orig, (FidoAddress{2, 5020, 77, 0}));
}

TEST_F(Saving, SerialKeepsItsLeadingZerosAndDiffersWithinOneMillisecond)
{
    OpenArea();
    // Both halves of this date-time are equal: the serial is the random part alone.
    const DateTime now = std::bit_cast<DateTime>(uint64_t(0x40E5F90A40E5F90Aull));
    SeedMsgIdGenerator(0);
    EditorState first = Editor(NewLetterMode);
    SaveLetter(first, now);
    EXPECT_EQ(Stored(Newest())[0], "\x01MSGID: 2:5020/1234.5 00000000");
    EditorState second = Editor(NewLetterMode);
    SaveLetter(second, now);
    EXPECT_EQ(Stored(Newest())[0], "\x01MSGID: 2:5020/1234.5 00000808");
}

TEST_F(Saving, RepliesAndCommentsNameTheAnsweredLetter)
{
    Write({.From = "Anna Bell", .Subject = "Hello", .Lines = {"\x01MSGID:  2:5020/100 6a100001", "Hello there"}});
    Write({.From = "Boris", .Subject = "Other", .Lines = {"No identity here"}});
    OpenArea();
    TLetter* anna = Area->Letters.FindByNumber(1);
    TLetter* boris = Area->Letters.FindByNumber(2);

    EditorState reply = Editor(ReplyMode, anna);
    reply.Lines = {"Thanks"};
    ASSERT_EQ(SaveLetter(reply, Now), SaveOutcome::Saved);
    Lines text = Stored(3);
    ASSERT_EQ(text.size(), 4u);
    EXPECT_EQ(text[1], "\x01REPLY: 2:5020/100 6a100001") << "one blank after the colon";
    EXPECT_EQ(text[2], "Thanks");
    EXPECT_EQ(Store->Letters.at(3).ReplyTo, 1u);
    ASSERT_EQ(anna->Replies.size(), 1u);
    EXPECT_EQ(anna->Replies[0]->Number, 3u);
    EXPECT_EQ(Area->Current, anna->Replies[0]);

    EditorState noId = Editor(ReplyMode, boris);
    noId.Lines = {"Answer"};
    SaveLetter(noId, Now);
    EXPECT_EQ(Stored(4), (Lines{Stored(4)[0], "Answer", ""})) << "MSGID only";
    EXPECT_EQ(Store->Letters.at(4).ReplyTo, 2u);

    EditorState comment = Editor(CommentMode, anna);
    SaveLetter(comment, Now);
    EXPECT_EQ(Store->Letters.at(5).ReplyTo, 1u);
    EXPECT_EQ(Stored(5)[1], "\x01REPLY: 2:5020/100 6a100001");
    EXPECT_EQ(anna->Replies.size(), 2u);

    // The answered letter left the area after the editor opened: no reply
    // number, but the REPLY line still names the letter answered.
    EditorState late = Editor(ReplyMode, anna);
    for (TLetter* answer : std::vector<TLetter*>(anna->Replies))
        answer->ReplyTo = 0;
    anna->Replies.clear();
    Area->RemoveLetter(anna, nullptr);  // freed at once
    SaveLetter(late, Now);
    EXPECT_EQ(Store->Letters.at(6).ReplyTo, 0u);
    EXPECT_EQ(Stored(6)[1], "\x01REPLY: 2:5020/100 6a100001");
}

TEST_F(Saving, TypedTextIsWrappedAndTypedControlLinesAreDropped)
{
    OpenArea();
    std::string longLine;
    for (int i = 0; i < 50; ++i)
        longLine += (i ? " w" : "w") + std::to_string(1000 + i);  // 299 characters
    EditorState e = Editor(NewLetterMode);
    e.Lines = {longLine, "\x01PID: typed by hand", "", "end"};
    SaveLetter(e, Now);
    Lines text = Stored(Newest());
    ASSERT_GE(text.size(), 1u + 4 + 3);
    std::string joined;
    std::size_t i = 1;
    for (; i < text.size() && !text[i].empty(); ++i) {
        EXPECT_LE(text[i].size(), 79u) << text[i];
        joined += (joined.empty() ? "" : " ") + text[i];
    }
    EXPECT_GE(i - 1, 4u) << "at least four lines";
    EXPECT_EQ(joined, longLine) << "broken between words, nothing lost";
    EXPECT_EQ(Lines(text.begin() + static_cast<std::ptrdiff_t>(i), text.end()), (Lines{"", "end", ""}))
        << "the typed control line is gone, the rest stays";
    for (const std::string& line : text)
        EXPECT_EQ(line.find("PID"), std::string::npos);

    // Saved before the text was ever prepared: control lines only.
    EditorState empty = Editor(NewLetterMode);
    SaveLetter(empty, Now);
    Lines bare = Stored(Newest());
    ASSERT_EQ(bare.size(), 2u) << "MSGID, CHRS, nothing else";
    EXPECT_EQ(bare[0].substr(0, 8), "\x01MSGID: ");
    EXPECT_EQ(bare[1], "");
}

TEST_F(Saving, TheLetterStoredAsSoftCarriageReturnBecomesLatinH)
{
    OpenArea();
    EditorState e = Editor(NewLetterMode);
    e.To = "Николай Петров";
    e.Lines = PrepareText(Settings, e, Now);
    ASSERT_EQ(e.Lines[0], "Привет, Николай!") << "the name reached the text through a token";
    SaveLetter(e, Now);
    TLetter* letter = Area->Current;
    ASSERT_TRUE(letter->StillValid());
    Lines read;
    letter->ReadText(read);
    ASSERT_GE(read.size(), 3u);
    EXPECT_EQ(read[2], "Привет, Hиколай!") << "not a letter lost to the readers taking 0x8D as a soft break";
    EXPECT_EQ(Area->Base->Header().To, "Николай Петров") << "the header keeps the name";

    // In a UTF-8 letter the letter is written as it is.
    EditorState utf8 = Editor(NewLetterMode);
    utf8.Lines = {"Николай, «да»"};
    SaveLetter(utf8, Now);
    EXPECT_EQ(Stored(Newest())[1], "Николай, «да»");
    EXPECT_EQ(StoredSet, Charset::Utf8);
}

TEST_F(Saving, TheCharacterSetFollowsWhatTheLetterHolds)
{
    Write({.From = "Сергей Волков", .Subject = "UTF-8", .Lines = {"\x01" "CHRS: UTF-8 4", "Привет"},
           .Set = Charset::Utf8});
    OpenArea();
    TLetter* utf8Letter = Area->Letters.FindByNumber(1);
    struct Case {
        const char* What;
        std::string Subject, Line;
        Charset Outgoing = Charset::Cp866, Forced = Charset::None;
        TLetter* Answered = nullptr;
        Charset Expected;
        std::string StoredLine;  // the line's bytes as stored
    } cases[] = {
        {"plain Cyrillic", "Тема", "Да", Charset::Cp866, Charset::None, nullptr, Charset::Cp866, "\x84\xA0"},
        {"guillemets in the text", "Тема", "«Да»", Charset::Cp866, Charset::None, nullptr, Charset::Utf8,
         "\xC2\xAB\xD0\x94\xD0\xB0\xC2\xBB"},
        {"the euro in the subject", "5 €", "Да", Charset::Cp866, Charset::None, nullptr, Charset::Utf8, "\xD0\x94\xD0\xB0"},
        {"UTF-8 in the settings", "Тема", "Да", Charset::Utf8, Charset::None, nullptr, Charset::Utf8, "\xD0\x94\xD0\xB0"},
        {"a reply to a UTF-8 letter", "Тема", "Да", Charset::Cp866, Charset::None, utf8Letter, Charset::Utf8,
         "\xD0\x94\xD0\xB0"},
        {"forced CP866", "Тема", "«Да»", Charset::Cp866, Charset::Cp866, nullptr, Charset::Cp866, "?\x84\xA0?"},
        {"forced UTF-8", "Тема", "Да", Charset::Cp866, Charset::Utf8, nullptr, Charset::Utf8, "\xD0\x94\xD0\xB0"},
    };
    for (const Case& c : cases) {
        Settings.OutgoingCharset = c.Outgoing;
        EditorState e = Editor(c.Answered ? ReplyMode : NewLetterMode, c.Answered);
        e.Subject = c.Subject;
        e.Lines = {c.Line};
        e.ForcedCharset = c.Forced;
        ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved) << c.What;
        const std::string& raw = Store->Letters.at(Newest()).Text;
        EXPECT_NE(raw.find("\r" + c.StoredLine + "\r"), std::string::npos) << c.What;
        Stored(Newest());
        EXPECT_EQ(StoredSet, c.Expected) << c.What;
    }
}

TEST_F(Saving, AChangeIsANewLetterThatKeepsThePlaceOfTheOld)
{
    Write({.From = "Anna Bell", .Subject = "Hello", .Date = 45000.25, .Lines = {"\x01MSGID: 2:5020/100 6a100001", "Hi"}});
    Write({.From = "Ivan Petrov", .Subject = "Hello", .Date = 45000.5, .ReplyTo = 1, .Read = true,
           .Lines = {"\x01MSGID: 2:5020/1234.5 11111111", "\x01REPLY: 2:5020/100 6a100001", "Old text",
                     "--- Quorvel 2.00.84", " * Origin: home (2:5020/1234.5)"}});
    Write({.From = "Vera", .Subject = "Hello", .Date = 45000.75, .ReplyTo = 1});
    Write({.From = "Boris", .Subject = "Hello", .Date = 45001.0, .ReplyTo = 2});
    OpenArea();
    TLetter* anna = Area->Letters.FindByNumber(1);
    TLetter* own = Area->Letters.FindByNumber(2);
    TLetter* vera = Area->Letters.FindByNumber(3);
    ASSERT_EQ(anna->Replies, (std::vector<TLetter*>{own, vera}));

    EditorState e = Editor(ChangeMode, own);
    e.From = own->From;
    e.To = own->To;
    e.Subject = own->Subject;
    e.Lines = PrepareText(Settings, e, Now);
    EXPECT_EQ(e.Lines, (Lines{"Old text", "--- Quorvel 2.00.84", " * Origin: home (2:5020/1234.5)"}))
        << "its own text, nothing added";
    e.Lines[0] = "New text";
    ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved);

    EXPECT_EQ(Store->Letters.count(2), 0u) << "the old letter is deleted";
    ASSERT_EQ(Newest(), 5u);
    EXPECT_EQ(Stored(5), (Lines{"\x01MSGID: 2:5020/1234.5 11111111", "\x01REPLY: 2:5020/100 6a100001", "New text",
                                "--- Quorvel 2.00.84", " * Origin: home (2:5020/1234.5)", ""}));
    EXPECT_EQ(Store->Letters.at(5).ReplyTo, 1u);

    EXPECT_EQ(Area->Letters.Count(), 4u);
    EXPECT_EQ(Area->Letters.FindByNumber(5), own) << "the same object, renumbered";
    EXPECT_EQ(own->Date, NowMinutes);
    EXPECT_EQ(own->Key, LetterKey("Hello", "Ivan Petrov", "All", NowMinutes));
    EXPECT_EQ(anna->Replies, (std::vector<TLetter*>{own, vera})) << "its place in the thread";
    ASSERT_EQ(own->Replies.size(), 1u);
    EXPECT_EQ(own->Replies[0]->From, "Boris");
    EXPECT_EQ(Area->Current, own);
    EXPECT_EQ(Area->Letters.At(Area->Letters.Count() - 1), own) << "sorted by its new date";
}

TEST_F(Saving, AChangedLetterThatVanishedWritesNothing)
{
    Write({.From = "Ivan Petrov", .Subject = "Mine", .Lines = {"text"}});
    OpenArea();
    TLetter* own = Area->Letters.FindByNumber(1);
    EditorState e = Editor(ChangeMode, own);
    e.Lines = {"changed text"};
    Area->RemoveLetter(own, nullptr);  // freed at once

    EXPECT_EQ(SaveLetter(e, Now), SaveOutcome::ChangedLetterGone);
    EXPECT_EQ(Store->Letters.size(), 1u);
    EXPECT_EQ(Store->High, 1u) << "nothing written";
    EXPECT_FALSE(e.Modified);
    EXPECT_EQ(e.Lines, Lines{"changed text"});
    EXPECT_EQ(ChangedLetterGoneMessage(), "Пока Вы тормозили, исходное письмо изчезло из базы.\rТак что извинете.");
}

TEST_F(Saving, AFailedWriteKeepsTheEditorAndTheAreaAsTheyWere)
{
    Write({.From = "Anna", .Subject = "Hello", .Lines = {"Hi"}});
    OpenArea();
    TLetter* anna = Area->Letters.FindByNumber(1);
    EditorState e = Editor(ReplyMode, anna);
    e.Lines = {"My answer"};
    Store->WritesFailing = 1;
    try {
        SaveLetter(e, Now);
        FAIL() << "the failure was not reported";
    } catch (const ECantWriteLetter& error) {
        EXPECT_EQ(std::string(error.what()), "Не могу записать письмо. Ошибка #5");
        EXPECT_EQ(error.Code, 5);
    }
    EXPECT_TRUE(e.Modified);
    EXPECT_EQ(e.Lines, Lines{"My answer"});
    EXPECT_EQ(Area->Letters.Count(), 1u);
    EXPECT_TRUE(anna->Replies.empty());
    EXPECT_EQ(Area->ReadCount, 0);

    ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved) << "saved on the next try";
    EXPECT_EQ(Stored(Newest())[1], "My answer");
}

// A change on the formats on disk: the letter written after the one it
// replaces, which is deleted, read back by a fresh load.
TEST(SavingOnDisk, AChangeInEveryFormat)
{
    Session Owner;
    Owner.Settings.MainAddress = {2, 5020, 1234, 5};
    TempDir dir;
    std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        std::vector<Num> n = WriteLetters(spec, {{.From = "Anna", .Subject = "Hi", .Lines = {"Hello"}}});
        n.push_back(WriteLetters(spec, {{.From = "Ivan Petrov", .Subject = "Hi", .Date = 45001, .ReplyTo = n.at(0),
                                         .Read = true, .Lines = {"\x01MSGID: 2:5020/1234.5 0000abcd", "Old"}}})
                        .at(0));
        TArea area(Owner, "T", "D", spec);
        area.Open();
        area.Load();
        TLetter* mine = area.Letters.FindByNumber(n[1]);
        ASSERT_NE(mine, nullptr);
        EditorState change;
        change.Mode = ChangeMode;
        change.Area = &area;
        change.AnsweredKey = mine->Key;
        ReadAnsweredText(change, *mine);
        change.From = mine->From;
        change.FromAddress = "2:5020/1234.5";
        change.To = mine->To;
        change.Subject = mine->Subject;
        change.Lines = {"New"};
        ASSERT_EQ(SaveLetter(change, Now), SaveOutcome::Saved);
        EXPECT_GT(mine->Number, n[1]);
        area.Close();

        TArea again(Owner, "T", "D", spec);
        again.Load();
        ASSERT_EQ(again.Letters.Count(), 2u);
        EXPECT_EQ(again.Letters.FindByNumber(n[1]), nullptr) << "the changed letter is gone";
        TLetter* changed = again.Letters.FindByNumber(mine->Number);
        ASSERT_NE(changed, nullptr);
        EXPECT_EQ(changed->ReplyTo, n[0]);
        again.Open();
        EditorState reread;
        ReadAnsweredText(reread, *changed);
        const TFormattedStrings& text = reread.AnsweredText;
        EXPECT_EQ(text.Lines, Lines{"New"});
        EXPECT_EQ(text.MsgId, "2:5020/1234.5 0000abcd") << "a change keeps its identity";
        again.Close();
    }
}
