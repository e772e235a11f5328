// The text an editor starts with: token values, the templates, the tear and
// origin lines, the answered letter's prepared text.
#include <gtest/gtest.h>

#include <memory>

#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "text/PreparedText.h"

namespace {

using Lines = std::vector<std::string>;

// Friday, 18 August 1995, 16:27.
const DateTime Friday = EncodeDate(1995, 8, 18) + EncodeTime(16, 27, 40);

class Preparing : public ::testing::Test {
protected:
    Session Owner;
    UserSettings& Settings = Owner.Settings;

    void SetUp() override
    {
        Settings.UserName = "Ivan Sergeevich Petrov";
        Settings.MainAddress = {2, 5020, 1234, 5};
        MemoryMsgBase::RegisterFormat();
        static int serial = 0;
        const std::string name = "preparing-" + std::to_string(++serial);
        MemoryMsgBase writer(MemoryMsgBase::StoreNamed(name));
        WriteLetterTo(writer, {.From = "Анна Белова", .To = "Ivan Petrov", .Subject = "Hello",
                               .Date = EncodeDate(2001, 1, 7) + EncodeTime(9, 5, 0),
                               .Lines = {"\x01MSGID: 2:5020/100 6a100001", "\x01REPLY: 2:5020/1234.5 0000abcd",
                                         "AB> earlier words", "", "My text", "SEEN-BY: 5020/100",
                                         "--- tosser", " * Origin: far away (2:5020/100)"}});
        Area = std::make_unique<TArea>(Owner, "RU.TEST", "Описание", "M" + name);
        Area->Open();
        Area->Load();
        Answered = Area->Letters.At(0);
    }

    EditorState Reply()
    {
        EditorState e;
        e.Mode = ReplyMode;
        e.Area = Area.get();
        e.AnsweredKey = Answered->Key;
        ReadAnsweredText(e, *Answered);
        e.From = Settings.UserName;
        e.FromAddress = "2:5020/1234.5";
        e.To = "Vera";
        e.Subject = "Hello";
        return e;
    }

    std::unique_ptr<TArea> Area;
    TLetter* Answered = nullptr;
};

const std::string& Origin()
{
    static const std::string line =
        " * Origin: Брать пять долларов за спасение жизни - чудовищно!   (2:5020/1234.5)";
    return line;
}

}  // namespace

TEST_F(Preparing, TheAnsweredTextHidesControlLinesAndKeepsTheirValues)
{
    EditorState editor;
    ReadAnsweredText(editor, *Answered);
    const TFormattedStrings& text = editor.AnsweredText;
    EXPECT_EQ(text.Lines, (Lines{"AB> earlier words", "", "My text", "SEEN-BY: 5020/100", "--- tosser",
                                 " * Origin: far away (2:5020/100)"}));
    EXPECT_EQ(text.MsgId, "2:5020/100 6a100001");
    EXPECT_EQ(text.Reply, "2:5020/1234.5 0000abcd");
    EXPECT_EQ(text.FromAddr, (FidoAddress{2, 5020, 100, 0}));
    EXPECT_EQ(text.ToAddr, (FidoAddress{2, 5020, 1234, 5}));

    // Another program deleted it meanwhile.
    Area->Base->SeekFirst(Answered->Number);
    ASSERT_EQ(Area->Base->DeleteLetter(), 0);
    EXPECT_THROW(ReadAnsweredText(editor, *Answered), ELetterNotFound);
}

TEST_F(Preparing, AllTwentyFourTokenValues)
{
    EditorState e = Reply();
    e.ToAddress = "2:5020/7";
    TokenValueList expected = {
        "2:5020/1234.5", "Ivan", "Sergeevich", "Ivan Sergeevich Petrov", "В пятницу, 18 августа 95", "16:27",
        "Описание", "RU.TEST",
        "2:5020/100", "Анна", "Белова", "Анна Белова", "В воскресенье, 7 января 1", "9:05",
        "Описание", "RU.TEST",
        "2:5020/1234.5", "Ivan", "Petrov", "Ivan Petrov",
        "2:5020/7", "Vera", "", "Vera",
    };
    EXPECT_EQ(TokenValues(Settings, e, Answered, Friday), expected);

    // One word of user name: no last name. A new letter has no answered values.
    Settings.UserName = "Sysop";
    EditorState fresh;
    fresh.Area = Area.get();
    fresh.To = "Всем";
    TokenValueList values = TokenValues(Settings, fresh, FindAnsweredLetter(fresh), Friday);
    EXPECT_EQ(values[TokenCFName], "Sysop");
    EXPECT_EQ(values[TokenCLName], "");
    for (int token = TokenOAddr; token <= TokenDName; ++token)
        EXPECT_EQ(values[static_cast<std::size_t>(token)], "") << TokenName(token);
    EXPECT_EQ(values[TokenTName], "Всем");
}

TEST_F(Preparing, NewLetterFromTheDefaultTemplateWithTearAndOrigin)
{
    EditorState e;
    e.Area = Area.get();
    e.To = "Vera Ivanova";
    e.FromAddress = "1:1/1";  // the origin names the main address all the same
    e.AnsweredKey = Answered->Key;  // a new letter answers nothing, whatever it holds
    ReadAnsweredText(e, *Answered);
    EXPECT_EQ(PrepareText(Settings, e, Friday), (Lines{"Привет, Vera!", "", "", "Иван Петров, Тверь.", "",
                                             "--- Quorvel 2.00.84", Origin()}));
    EXPECT_EQ(TearLine(), "--- Quorvel 2.00.84");
    EXPECT_EQ(OriginLine(Settings), Origin());
}

TEST_F(Preparing, ReplyQuotesTheAnsweredLetterUnderItsHeaderLine)
{
    EditorState e = Reply();
    EXPECT_EQ(PrepareText(Settings, e, Friday),
              (Lines{"В воскресенье, 7 января 1  Анна Белова(2:5020/100) > Ivan Petrov:",
                     "AB>> earlier words", "", "АБ> My text", "АБ> SEEN-BY: 5020/100", "",
                     "Иван Петров, Тверь.", "", "--- Quorvel 2.00.84", Origin()}));
}

TEST_F(Preparing, AReplyWhoseLetterLeftTheAreaQuotesWithoutItsValues)
{
    EditorState e = Reply();
    Settings.QuoteReplyTemplate = {"@OName wrote to @DName in @OEcho, I write to @TName in @CEcho:", "@Position", "@Quote"};
    Area->RemoveLetter(Answered, nullptr);  // freed at once
    EXPECT_EQ(PrepareText(Settings, e, Friday), (Lines{" wrote to  in , I write to Vera in RU.TEST:", "AB>> earlier words", "",
                                             "> My text", "> SEEN-BY: 5020/100", "--- Quorvel 2.00.84", Origin()}));
}

TEST_F(Preparing, AChangedLetterGetsItsOwnTextOnly)
{
    EditorState e = Reply();
    e.Mode = ChangeMode;
    EXPECT_EQ(PrepareText(Settings, e, Friday), e.AnsweredText.Lines);
}

TEST_F(Preparing, TokenEdgeCasesInUserTemplates)
{
    EditorState e = Reply();
    e.Mode = NewLetterMode;
    Settings.NewLetterTemplate = {"@CNam", "mail@ofname.example", "@OFNameX", "@Quote", "@position"};
    EXPECT_EQ(PrepareText(Settings, e, Friday), (Lines{"CNam", "mail.example", "X", "position", TearLine(), Origin()}))
        << "too short for a name only the @ goes; a new letter's OFName is empty; line tokens are case-sensitive";
}
