// Writing into bases that others left damaged, in the three formats of
// shared files: a text file cut short, an index record written over, a delete
// killed part way. The files are read back byte by byte (the layouts as
// written down here), not through the code under test.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "msgbase/FileFaults.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/SharingTests.h"
#include "support/TestSupport.h"

namespace {

struct Format {
    const char* Name;
    std::string (*Spec)(const std::string& dir);
    const char* TextFile;  // the file that holds the texts
};

const Format Formats[] = {
    {"JAM", [](const std::string& d) { return "J" + d + "/echo"; }, "echo.jdt"},
    {"Squish", [](const std::string& d) { return "S" + d + "/echo"; }, "echo.sqd"},
    {"Hudson", [](const std::string& d) { return "H001" + d + "/"; }, "msgtxt.bbs"},
};

std::unique_ptr<MsgBase> Open(const Format& format, const std::string& dir)
{
    std::unique_ptr<MsgBase> base = CreateBaseFor(format.Spec(dir));
    if (!base->BaseExists()) {
        EXPECT_EQ(base->CreateBase(0, 0), 0);
    }
    EXPECT_EQ(base->OpenBase(), 0) << format.Name;
    return base;
}

Status Post(MsgBase& base, const std::string& text)
{
    LetterHeader header;
    header.From = "Writer";
    header.To = "All";
    header.Subject = "s";
    base.SetMailType(MailLocal);
    base.StartNewLetter(header);
    base.WriteLine(text);
    return base.WriteLetter();
}

std::string Text(MsgBase& base, Num number)
{
    base.SeekFirst(number);
    if (!base.SeekFound() || base.GetNumber() != number)
        return "(none)";
    base.LoadHeader();
    base.StartText();
    std::string text;
    while (!base.TextEnded())
        text += base.ReadLine(65535) + "|";
    return text;
}

// number -> text of every letter a walk meets.
LetterTexts Walk(MsgBase& base)
{
    LetterTexts letters;
    for (base.SeekFirst(1); base.SeekFound(); base.SeekNext()) {
        const Num number = base.GetNumber();
        letters[number] = Text(base, number);
        base.SeekFirst(number);
    }
    return letters;
}

void CutFile(const std::string& path, std::size_t bytesOff)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - bytesOff);
}

}  // namespace

// A new letter's text goes after every text a header claims: cut into the
// last letter's text, the text file ends inside it, and a letter appended at
// its end would become part of that letter.
TEST(DamagedWrites, ANewTextNeverLandsInsideAnOldLettersText)
{
    const std::string long1(600, 'a'), long2(600, 'b');
    for (const Format& format : Formats) {
        TempDir dir;
        {
            auto base = Open(format, dir.Path());
            ASSERT_EQ(Post(*base, long1), 0);
            ASSERT_EQ(Post(*base, long2), 0);
        }
        CutFile(dir / format.TextFile, 512);
        auto base = Open(format, dir.Path());
        const LetterTexts before = Walk(*base);
        ASSERT_EQ(Post(*base, "new"), 0) << format.Name;
        const Num posted = base->GetNumber();
        LetterTexts expected = before;
        expected[posted] = "new|";
        EXPECT_EQ(Walk(*Open(format, dir.Path())), expected) << format.Name;
    }
}

// What post gives is the number the letter is read by; an index that leaves
// no such number refuses the letter and nothing is written.
TEST(DamagedWrites, ThePostedNumberReadsThePostedLetter)
{
    struct Case {
        const char* What;
        uint32_t Number;  // written over the Squish index's second record
        bool Refused;
    };
    for (const Case& c : {Case{"the highest number", 0xFFFFFFFFu, true}, Case{"garbage", 0x7A3B1234u, false},
                          Case{"the number below the highest", 0xFFFFFFFEu, true}}) {
        TempDir dir;
        const Format& squish = Formats[1];
        {
            auto base = Open(squish, dir.Path());
            ASSERT_EQ(Post(*base, "one"), 0);
            ASSERT_EQ(Post(*base, "two"), 0);
        }
        std::string sqi = ReadFileBytes(dir / "echo.sqi");
        sqi.replace(12 + 4, 4, Le32(c.Number));
        WriteFileBytes(dir / "echo.sqi", sqi);
        const std::string sqd = ReadFileBytes(dir / "echo.sqd");
        auto base = Open(squish, dir.Path());
        const Status status = Post(*base, "three");
        if (c.Refused) {
            EXPECT_NE(status, 0) << c.What;
            EXPECT_EQ(ReadFileBytes(dir / "echo.sqd"), sqd) << c.What;
            continue;
        }
        ASSERT_EQ(status, 0) << c.What;
        EXPECT_EQ(Text(*Open(squish, dir.Path()), base->GetNumber()), "three|") << c.What;
    }
}

namespace {

// The counters, index records, headers and chains agree: what a killed
// delete leaves is put right by the next write. "" when they do.
std::string JamDisagreement(const std::string& dir)
{
    const std::string jhr = ReadFileBytes(dir + "/echo.jhr"), jdx = ReadFileBytes(dir + "/echo.jdx");
    std::set<uint32_t> live;
    for (std::size_t at = 0; at + 8 <= jdx.size(); at += 8)
        if (int32_t(GetLe32(jdx, at + 4)) >= 0)
            live.insert(GetLe32(jdx, at + 4));
    if (GetLe32(jhr, 12) != live.size())
        return "ActiveMsgs " + std::to_string(GetLe32(jhr, 12)) + ", live " + std::to_string(live.size());
    for (std::size_t at = 1024; at + 76 <= jhr.size(); at += 76 + GetLe32(jhr, at + 8))
        if (!(GetLe32(jhr, at + 52) & 0x80000000u) && !live.count(uint32_t(at)))
            return "header at " + std::to_string(at) + " neither indexed nor deleted";
    return "";
}

std::string SquishDisagreement(const std::string& dir)
{
    const std::string sqd = ReadFileBytes(dir + "/echo.sqd"), sqi = ReadFileBytes(dir + "/echo.sqi");
    if (GetLe32(sqd, 4) != sqi.size() / 12)
        return "num_msg " + std::to_string(GetLe32(sqd, 4)) + ", records " + std::to_string(sqi.size() / 12);
    std::vector<uint32_t> indexed, chain;
    for (std::size_t at = 0; at + 12 <= sqi.size(); at += 12)
        indexed.push_back(GetLe32(sqi, at));
    for (uint32_t at = GetLe32(sqd, 104); at != 0 && at + 28 <= sqd.size() && chain.size() < 100;
         at = GetLe32(sqd, at + 4))
        chain.push_back(at);
    return chain == indexed ? "" : "the letter chain is not the index";
}

std::string HudsonDisagreement(const std::string& dir)
{
    const std::string info = ReadFileBytes(dir + "/msginfo.bbs"), idx = ReadFileBytes(dir + "/msgidx.bbs"),
                      hdr = ReadFileBytes(dir + "/msghdr.bbs");
    uint16_t live = 0;
    for (std::size_t i = 0; i * 3 < idx.size(); ++i) {
        const bool indexed = GetLe16(idx, i * 3) != 0xFFFF;
        const bool headerDeleted = uint8_t(hdr[i * 187 + 24]) & 0x01;
        if (indexed == headerDeleted)
            return "letter " + std::to_string(i) + ": index and header disagree";
        live += indexed;
    }
    if (GetLe16(info, 4) != live || GetLe16(info, 6) != live)
        return "counted " + std::to_string(GetLe16(info, 4)) + ", live " + std::to_string(live);
    return "";
}

}  // namespace

TEST(DamagedWrites, TheNextWriteRepairsAKilledDelete)
{
    const std::function<std::string(const std::string&)> disagreement[] = {JamDisagreement, SquishDisagreement,
                                                                           HudsonDisagreement};
    for (std::size_t f = 0; f < std::size(Formats); ++f) {
        const Format& format = Formats[f];
        ForEveryFileChange([&](FileFault kind, uint64_t n) {
            TempDir dir;
            {
                auto base = Open(format, dir.Path());
                for (const char* text : {"one", "two", "three"})
                    EXPECT_EQ(Post(*base, text), 0);
            }
            auto base = Open(format, dir.Path());
            base->SeekFirst(1);
            base->SeekNext();
            base->LoadHeader();
            const BrokenChange broken = BreakOff(format.Name, kind, n, [&] { return base->DeleteLetter(); });
            base.reset();
            auto next = Open(format, dir.Path());
            EXPECT_EQ(Post(*next, "four"), 0) << broken.Where;
            EXPECT_EQ(disagreement[f](dir.Path()), "") << broken.Where;
            return broken;
        });
    }
}
