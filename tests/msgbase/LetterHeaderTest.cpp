// A letter's header as a value, over every format on disk: a header read and
// given back changes no byte, and a change reaches the base and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"

namespace {

std::map<std::string, std::string> FilesUnder(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files[entry.path().string()] = ReadFileBytes(entry.path().string());
    return files;
}

LetterHeader Loaded(MsgBase& base, Num number)
{
    base.SeekFirst(number);
    base.LoadHeader();
    return base.Header();
}

}  // namespace

TEST(LetterHeader, GivenBackUnchangedItChangesNoByteAndAChangeReachesOnlyItsField)
{
    TempDir dir;
    const std::vector<std::string> specs = DiskFormatSpecs(dir.Path());
    ASSERT_FALSE(specs.empty()) << "the list of message base formats is empty";
    for (const std::string& spec : specs) {
        // A subject with a reply prefix and names in UTF-8: given back as read
        // ("RE:" removed, names decoded), neither may be written anew.
        LetterSpec letter{.From = "Иван Петров", .To = "All", .Subject = "Re: Встреча"};
        letter.Set = Charset::Utf8;
        const std::vector<Num> numbers = WriteLetters(spec, {letter});
        ASSERT_EQ(numbers.size(), 1u) << spec;
        ASSERT_NE(numbers[0], 0u) << spec;

        std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
        ASSERT_EQ(base->OpenBase(), 0) << spec;
        const LetterHeader before = Loaded(*base, numbers[0]);
        EXPECT_EQ(before.Subject, "Встреча") << spec;
        EXPECT_FALSE(before.Flags.Has(LetterFlag::Read)) << spec;
        const auto files = FilesUnder(dir.Path());
        ASSERT_EQ(base->RewriteHeader(before), 0) << spec;
        EXPECT_EQ(FilesUnder(dir.Path()), files) << spec << ": the header given back as read";

        LetterHeader read = before;
        read.Flags.Set(LetterFlag::Read);
        ASSERT_EQ(base->RewriteHeader(read), 0) << spec;
        base->CloseBase();

        std::unique_ptr<MsgBase> again = CreateBaseFor(spec);
        ASSERT_EQ(again->OpenBase(), 0) << spec;
        EXPECT_EQ(Loaded(*again, numbers[0]), read) << spec << ": the read mark and nothing else";
        again->CloseBase();
    }
}
