#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "text/LetterDates.h"
#include "text/Templates.h"

namespace {

TokenValueList Values()
{
    TokenValueList v;
    v[TokenCAddr] = "2:5020/1234.5";
    v[TokenCName] = "Ivan Petrov";
    v[TokenCFName] = "Ivan";
    v[TokenCLName] = "Petrov";
    v[TokenOName] = "Anna Bell";
    v[TokenOFName] = "Anna";
    v[TokenTName] = "All";
    v[TokenTFName] = "All";
    v[TokenCEcho] = "RU.TEST";
    return v;
}

}  // namespace

TEST(LetterDates, RussianWeekdayAndMonthTwoDigitYearUnpaddedHour)
{
    DateTime d = EncodeDate(1995, 8, 18) + EncodeTime(16, 27, 0);
    EXPECT_EQ(LetterDateTime(d), "В пятницу, 18 августа 95  16:27");
    EXPECT_EQ(LetterTime(EncodeDate(2001, 1, 7) + EncodeTime(9, 5, 0)), "9:05");
    EXPECT_EQ(LetterDate(EncodeDate(2001, 1, 7)), "В воскресенье, 7 января 1") << "year modulo 100";
}

TEST(ExpandTokens, NamesCaseAndNeighbours)
{
    const TokenValueList v = Values();
    EXPECT_EQ(ExpandTokens("Hello, @tfname!", v), "Hello, All!");
    EXPECT_EQ(ExpandTokens("@CNameX", v), "Ivan PetrovX") << "5 characters are tried first";
    EXPECT_EQ(ExpandTokens("@CLName and @cfname", v), "Petrov and Ivan");
    EXPECT_EQ(ExpandTokens("mail me: ivan@example.com", v), "mail me: ivanexample.com");
    EXPECT_EQ(ExpandTokens("@Position inside", v), "Position inside") << "line tokens only alone on a line";
    EXPECT_EQ(ExpandTokens("@@CEcho", v), "RU.TEST");
    EXPECT_EQ(ExpandTokens("ends with @", v), "ends with ");
}

TEST(ExpandTokens, ValuesAreNeverScannedAgain)
{
    TokenValueList v = Values();
    v[TokenTName] = "Joe @CName";
    EXPECT_EQ(ExpandTokens("To: @TName.", v), "To: Joe @CName.");
}

TEST(QuoteText, InitialsDeeperQuotesAndDroppedLines)
{
    TFormattedStrings answered;
    answered.Lines = {"  AB> earlier", "", "plain text", "SEEN-BY: 1/1", "--- tear", " * Origin: x (1:1/1)"};
    EXPECT_EQ(QuoteText(answered, "Anna Bell"),
              (std::vector<std::string>{"AB>> earlier", "", "AB> plain text", "AB> SEEN-BY: 1/1"}));
    EXPECT_EQ(QuotePrefixFor("Anna Maria Bell Smith"), "AMB> ");
    EXPECT_EQ(QuotePrefixFor("Sysop"), "S> ");
    EXPECT_EQ(QuotePrefixFor(""), "> ");
    EXPECT_EQ(QuotePrefixFor("Сергей Волков"), "СВ> ") << "initials are characters, not bytes";
}

TEST(ExpandTemplate, LineTokensAndReflowOfLongQuotes)
{
    TFormattedStrings answered;
    answered.Lines = {std::string(78, 'q')};
    std::vector<std::string> reply = {"@ODate  @OName > @TName:", "@Position", "@Quote", "", "  @Position", "Bye"};
    TFormattedStrings out = ExpandTemplate(reply, Values(), answered);
    ASSERT_EQ(out.Lines.size(), 6u);
    EXPECT_EQ(out.Lines[0], "  Anna Bell > All:");
    EXPECT_EQ(out.Lines[1], "AB> " + std::string(75, 'q')) << "78 + 4 characters are wrapped at 79";
    EXPECT_EQ(out.Lines[2], "AB> qqq");
    EXPECT_EQ(out.Lines[3], "");
    EXPECT_EQ(out.Lines[4], "  Position");
    EXPECT_EQ(out.Lines[5], "Bye");
}
