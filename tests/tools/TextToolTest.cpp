// quorvel-tool post as the editor saves (the user's templates from the
// program's settings file, the typed body where the user types it) and
// reflow, end to end.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/LetterWriter.h"
#include "support/TestSupport.h"
#include "support/ToolRunner.h"

namespace {

using Lines = std::vector<std::string>;

// Templates of a user who signs with the first name; the reply template puts
// a line above the quote. Written as the program's settings store writes them
// (a value that begins with "@" gets a second one in the file, a value with a
// comma is quoted).
const char* const SigningSettings =
    "[quorvel.INI]\n"
    "User\\Name=Point User\n"
    "User\\MainAddress=Point User (2:5020/1234.5)\n"
    "NewLetterTemplate\\Line0=\"Hello, @TFName!\"\n"
    "NewLetterTemplate\\Line1=-\n"
    "NewLetterTemplate\\Line2=@@Position\n"
    "NewLetterTemplate\\Line3=-\n"
    "NewLetterTemplate\\Line4=@@CFName\n"
    "QuoteReplyTemplate\\Line0=@@OName wrote to @DName:\n"
    "QuoteReplyTemplate\\Line1=@@Position\n"
    "QuoteReplyTemplate\\Line2=@@Quote\n"
    "QuoteReplyTemplate\\Line3=-\n"
    "QuoteReplyTemplate\\Line4=@@CFName\n";

// read --kludges output: the text after the header and its empty line.
Lines TextOf(const ToolResult& read)
{
    Lines lines = read.OutLines();
    auto blank = std::find(lines.begin(), lines.end(), std::string());
    return blank == lines.end() ? Lines{} : Lines(blank + 1, lines.end());
}

ToolResult Post(const std::string& spec, const std::string& body, const std::string& to, const std::string& reply = "",
                const std::string& address = "2:5020/1234.5")
{
    std::vector<std::string> args = {"post", spec, "--from", "Point User", "--to", to, "--subject", "Test",
                                     "--addr", address};
    if (!reply.empty()) {
        args.push_back("--reply");
        args.push_back(reply);
    }
    return RunTool(args, body);
}

}  // namespace

TEST(PostTool, TheBodyGoesWhereTheUserTypesIt)
{
    ToolSettings settings(SigningSettings);
    const std::string ini = ReadFileBytes(settings.ConfigDir() + "/Tressik/Quorvel.ini");
    TempDir dir;
    const std::string spec = "F" + dir / "echo/";

    ToolResult first = Post(spec, "line one\nline two\n", "Anna Smith", "", "5020/1234.7");
    ASSERT_EQ(first.ExitCode, 0) << first.Err;
    ASSERT_EQ(first.Out, "2\n");
    Lines text = TextOf(RunTool({"read", spec, "2", "--kludges"}));
    ASSERT_EQ(text.size(), 10u);
    EXPECT_EQ(text[0].substr(0, 23), "^AMSGID: 2:5020/1234.7 ") << "the from-address field, its zone from the main address";
    EXPECT_EQ(text[1], "^ACHRS: CP866 2");
    EXPECT_EQ(Lines(text.begin() + 2, text.end()),
              (Lines{"Hello, Anna!", "", "line one", "line two", "", "Point", PlainTearLine, PlainOriginLine}))
        << "the origin names the main address whatever the from-address field holds";

    ToolResult reply = Post(spec, "my answer\n", "Anna Smith", "2");
    ASSERT_EQ(reply.ExitCode, 0) << reply.Err;
    text = TextOf(RunTool({"read", spec, "3", "--kludges"}));
    ASSERT_EQ(text.size(), 15u);
    EXPECT_EQ(text[1], "^AREPLY: " + TextOf(RunTool({"read", spec, "2", "--kludges"}))[0].substr(9));
    EXPECT_EQ(text[2], "^ACHRS: CP866 2");
    EXPECT_EQ(Lines(text.begin() + 3, text.end()),
              (Lines{"Point User wrote to Anna Smith:", "PU> Hello, Anna!", "", "PU> line one", "PU> line two", "",
                     "PU> Point", "my answer", "", "Point", PlainTearLine, PlainOriginLine}))
        << "after the quoted text, where @Quote stood";

    EXPECT_EQ(ReadFileBytes(settings.ConfigDir() + "/Tressik/Quorvel.ini"), ini) << "the settings are only read";
}

TEST(PostTool, ATemplateWithoutTheBodysLineGetsTheBodyBeforeTheTearLine)
{
    ToolSettings settings("[quorvel.INI]\n"
                          "User\\MainAddress=2:5020/1234.5\n"
                          "NewLetterTemplate\\Line0=Hi all\n"
                          "NewLetterTemplate\\Line1=-\n"
                          "QuoteReplyTemplate\\Line0=@@Position\n");
    TempDir dir;
    const std::string spec = "F" + dir / "echo/";
    ASSERT_EQ(Post(spec, "body\n", "All").ExitCode, 0);
    EXPECT_EQ(Lines(TextOf(RunTool({"read", spec, "2"}))),
              (Lines{"Hi all", "", "body", PlainTearLine, PlainOriginLine}));
    ASSERT_EQ(Post(spec, "reply body\n", "All", "2").ExitCode, 0);
    EXPECT_EQ(TextOf(RunTool({"read", spec, "3"})),
              (Lines{"PU> Hi all", "", "PU> body", "reply body", PlainTearLine, PlainOriginLine}));
}

TEST(PostTool, NothingIsWrittenForAMissingLetter)
{
    ToolSettings settings(PlainToolSettings);
    TempDir dir;
    const std::string spec = "F" + dir / "echo/";
    ASSERT_EQ(Post(spec, "text\n", "All").ExitCode, 0);
    ToolResult missing = Post(spec, "text\n", "All", "7");
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Err.find("no letter number 7"), std::string::npos) << missing.Err;
    EXPECT_EQ(DirectoryNames(dir / "echo"), Lines{"2.msg"});
}

// A reply saved into every format there is, read back with its control
// lines, the quote of the letter answered, the typed text, tear and origin.
TEST(PostTool, ARepliesInEveryFormatReadsBackWhole)
{
    ToolSettings settings(PlainToolSettings);
    TempDir dir;
    const std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    for (const std::string& spec : specs) {
        SCOPED_TRACE(spec);
        std::vector<Num> numbers = WriteLetters(
            spec, {{.From = "Sysop", .Subject = "Hello",
                    .Lines = {"\x01MSGID: 2:5020/100 0badcafe", "Welcome, point!", "--- x", " * Origin: boss (2:5020/100)"}}});
        ASSERT_EQ(numbers.size(), 1u);
        const std::string answered = std::to_string(numbers[0]);
        ToolResult reply = Post(spec, "Привет, Sysop!\n", "Sysop", answered);
        ASSERT_EQ(reply.ExitCode, 0) << reply.Err;
        const std::string number = reply.Out.substr(0, reply.Out.size() - 1);
        EXPECT_NE(number, answered);

        ToolResult read = RunTool({"read", spec, number, "--kludges"});
        ASSERT_EQ(read.ExitCode, 0) << read.Err;
        Lines text = TextOf(read);
        ASSERT_EQ(text.size(), 7u) << read.Out;
        EXPECT_EQ(text[0].substr(0, 23), "^AMSGID: 2:5020/1234.5 ");
        EXPECT_EQ(text[0].size(), 31u) << "eight digits of serial";
        EXPECT_EQ(text[1], "^AREPLY: 2:5020/100 0badcafe");
        EXPECT_EQ(text[2], "^ACHRS: CP866 2");
        EXPECT_EQ(Lines(text.begin() + 3, text.end()),
                  (Lines{"S> Welcome, point!", "Привет, Sysop!", PlainTearLine, PlainOriginLine}));
        Lines list = RunTool({"list", spec}).OutLines();
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[1].substr(0, number.size() + answered.size() + 4), number + "\t" + answered + "\tR\t")
            << "it answers the letter and is stored read";
    }
}

TEST(PostTool, TheCharacterSetFollowsTheTextAndCanBeForced)
{
    ToolSettings settings(SigningSettings);
    TempDir dir;
    const std::string spec = "J" + dir / "jam/area";
    auto post = [&](const std::string& body, std::vector<std::string> extra, const std::string& reply = "") {
        std::vector<std::string> args = {"post", spec, "--from", "Point User", "--to", "Сергей Волков",
                                         "--subject", "Тема", "--addr", "2:5020/1234.5"};
        if (!reply.empty())
            extra.insert(extra.end(), {"--reply", reply});
        args.insert(args.end(), extra.begin(), extra.end());
        ToolResult r = RunTool(args, body);
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        return r.Out.substr(0, r.Out.find('\n'));
    };
    struct Case {
        std::string Body;
        std::vector<std::string> Args;
        std::string Chrs, StoredBody;
    } cases[] = {
        {"Да\n", {}, "^ACHRS: CP866 2", "\x84\xA0\r"},
        {"«Да»\n", {}, "^ACHRS: UTF-8 4", "\xC2\xAB\xD0\x94\xD0\xB0\xC2\xBB\r"},
        {"Да\n", {"--charset", "utf-8"}, "^ACHRS: UTF-8 4", "\xD0\x94\xD0\xB0\r"},
    };
    for (const Case& c : cases) {
        const std::string number = post(c.Body, c.Args);
        Lines text = TextOf(RunTool({"read", spec, number, "--kludges"}));
        EXPECT_NE(std::find(text.begin(), text.end(), c.Chrs), text.end()) << c.Body;
        EXPECT_NE(std::find(text.begin(), text.end(), c.Body.substr(0, c.Body.size() - 1)), text.end()) << c.Body;
        const std::string jdt = ReadFileBytes(dir / "jam/area.jdt");
        EXPECT_NE(jdt.find("\r" + c.StoredBody), std::string::npos) << c.Body;
    }
    // A reply to a UTF-8 letter is UTF-8 too, its quote's initials are characters.
    const std::string reply = post("Нет\n", {}, "3");
    Lines text = TextOf(RunTool({"read", spec, reply, "--kludges"}));
    EXPECT_NE(std::find(text.begin(), text.end(), "^ACHRS: UTF-8 4"), text.end());
    EXPECT_NE(std::find(text.begin(), text.end(), "PU> Да"), text.end());

    ToolResult bad = RunTool({"post", spec, "--from", "A", "--to", "B", "--subject", "S", "--addr", "2:5020/1",
                              "--charset", "KOI8-R"},
                             "x\n");
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_NE(bad.Err.find("--charset takes CP866 or UTF-8"), std::string::npos);
}

TEST(ReflowTool, WidthsAndControlLines)
{
    const std::string text = "^AMSGID: 1:2/3 4\n"
                             "one two three four five six seven\n"
                             "more\n"
                             "\n"
                             "SS> quoted words that are long enough\n";
    ToolResult plain = RunTool({"reflow", "--width", "20"}, text);
    ASSERT_EQ(plain.ExitCode, 0) << plain.Err;
    EXPECT_EQ(plain.OutLines(), (Lines{"one two three four", "five six seven more", "", "SS> quoted words",
                                       "SS> that are long", "SS> enough"}));

    ToolResult kludges = RunTool({"reflow", "--kludges"}, text);
    EXPECT_EQ(kludges.OutLines(), (Lines{"^AMSGID: 1:2/3 4", "one two three four five six seven", "more", "",
                                         "SS> quoted words that are long enough"}));

    EXPECT_EQ(RunTool({"reflow", "--width", "wide"}, text).ExitCode, 2);
    EXPECT_EQ(RunTool({"reflow", "extra"}, text).ExitCode, 2);
}
