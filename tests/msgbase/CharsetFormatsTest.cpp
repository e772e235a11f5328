// Letters in every character set, their texts stored byte by byte as other
// programs store them, read back as UTF-8 in each on-disk format.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/UserSettings.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/LetterWriter.h"
#include "support/StoredTexts.h"
#include "support/TestSupport.h"

namespace {

// Opens (creating) the base of spec.
std::unique_ptr<MsgBase> OpenCreated(const std::string& spec)
{
    std::filesystem::create_directories(std::filesystem::path(spec.substr(spec[0] == 'H' ? 4 : 1)).parent_path());
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    if (!base->BaseExists())
        base->CreateBase(0, 0);
    EXPECT_EQ(base->OpenBase(), 0) << spec;
    return base;
}

// A letter whose subject is stored in `set` and whose text is the given
// bytes, after the control line when there is one.
Num WriteStored(MsgBase& base, Charset set, const std::string& subject, const std::string& kludge,
                const std::string& textBytes)
{
    {
        LetterHeader header;
        base.SetOutgoingCharset(set == Charset::None ? Charset::Utf8 : set);
        base.SetMailType(MailEcho);
        header.From = "Sender";
        header.To = "All";
        header.Subject = subject;
        header.Written = 45000.5;
        header.Orig = FidoAddress{2, 5020, 1, 4};
        base.StartNewLetter(header);
    }
    if (!kludge.empty())
        base.WriteKludge("\x01" + kludge);
    for (char byte : textBytes)
        base.WriteChar(byte);
    base.WriteChar('\r');
    EXPECT_EQ(base.WriteLetter(), 0);
    return base.GetNumber();
}

struct Read {
    std::string ScanSubject, TextSubject, LastLine;
};

Read ReadBack(MsgBase& base, Num number)
{
    Read read;
    base.SeekFirst(number);
    base.LoadHeader();
    read.ScanSubject = base.Header().Subject;
    base.StartText();
    while (!base.TextEnded())
        read.LastLine = base.ReadLine(65535);
    read.TextSubject = base.Header().Subject;
    return read;
}

// Formats that keep a letter's CHRS where the scan reads it (JAM subfields;
// *.MSG, whose scan reads the text anyway).
bool SetKnownInTheScan(const std::string& spec)
{
    return spec[0] == 'J' || spec[0] == 'F';
}

}  // namespace

TEST(CharsetFormats, ALetterInEachSetReadsAsItsTextInEveryFormat)
{
    TempDir dir;
    for (const std::string& spec : DiskFormatSpecs(dir.Path())) {
        std::unique_ptr<MsgBase> base = OpenCreated(spec);
        for (const StoredText& letter : StoredTexts) {
            const Charset set = CharsetOfKludge(letter.Kludge);
            const Num number = WriteStored(*base, set, letter.Text, letter.Kludge, letter.Bytes);
            const Read read = ReadBack(*base, number);
            const std::string what = spec.substr(0, 1) + " " + letter.Kludge;
            EXPECT_EQ(read.LastLine, letter.Text) << what;
            EXPECT_EQ(read.TextSubject, letter.Text) << what << ": the header by the text's set";
            if (SetKnownInTheScan(spec)) {
                EXPECT_EQ(read.ScanSubject, letter.Text) << what << ": the header by its set in the scan";
            }
            EXPECT_EQ(base->GetTextCharset(), set) << what;
        }
        base->CloseBase();
    }
}

TEST(CharsetFormats, LettersWithoutASetAreUtf8WhenTheyAreElseTheDefaultSet)
{
    TempDir dir;
    for (const std::string& spec : DiskFormatSpecs(dir.Path())) {
        std::unique_ptr<MsgBase> base = OpenCreated(spec);
        const std::string what = spec.substr(0, 1);
        // UTF-8 with no CHRS: header and text by the rule, in the scan too.
        Num utf8 = WriteStored(*base, Charset::Utf8, "Ёлка «2026»", "", "\xD0\x9F\xD1\x80\xD0\xB8 \xE2\x82\xAC");
        Read read = ReadBack(*base, utf8);
        EXPECT_EQ(read.ScanSubject, "Ёлка «2026»") << what;
        EXPECT_EQ(read.LastLine, "При €") << what;
        EXPECT_EQ(base->GetTextCharset(), Charset::Utf8) << what;

        // CP866 with no CHRS, and the same bytes when the user's default is KOI8-R.
        Num cp866 = WriteStored(*base, Charset::Cp866, "Мир", "", "\x8C\xA8\xE0");
        read = ReadBack(*base, cp866);
        EXPECT_EQ(read.ScanSubject, "Мир") << what;
        EXPECT_EQ(read.LastLine, "Мир") << what;
        base->SetReadingRules({Charset::Koi8R, false});
        read = ReadBack(*base, cp866);
        base->SetReadingRules({});
        EXPECT_EQ(read.LastLine, "▄╗Ю") << what << ": the same bytes in KOI8-R";

        // A malformed UTF-8 letter shows U+FFFD and loses nothing else.
        Num broken = WriteStored(*base, Charset::Utf8, "x", "CHRS: UTF-8 4", "a\xFF" "b\xD0");
        EXPECT_EQ(ReadBack(*base, broken).LastLine, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD") << what;
        base->CloseBase();
    }
}

// Where only the text names the set, the header reads by the rule until the
// text is read, and by the rule again at the next LoadHeader: a letter is
// recognised by its header, which must read the same every time it is loaded.
TEST(CharsetFormats, TheTextsSetNeverChangesWhatTheNextLoadHeaderReads)
{
    TempDir dir;
    for (const std::string& spec : DiskFormatSpecs(dir.Path())) {
        if (SetKnownInTheScan(spec))
            continue;
        std::unique_ptr<MsgBase> base = OpenCreated(spec);
        const Num number = WriteStored(*base, Charset::Koi8R, "Мир", "CHRS: KOI8-R 2", "\xED\xC9\xD2");
        const Read read = ReadBack(*base, number);
        EXPECT_NE(read.ScanSubject, "Мир") << "KOI8-R bytes read as CP866 before the text";
        EXPECT_EQ(read.TextSubject, "Мир");
        base->LoadHeader();
        EXPECT_EQ(base->Header().Subject, read.ScanSubject) << spec;
        base->CloseBase();
    }
}

// Names are cut to their fields in bytes, never inside a character.
TEST(CharsetFormats, StoredNamesAreTheSetsBytesCutAtACharacter)
{
    TempDir dir;
    const std::string longName = "Константин Константинопольский";  // 30 letters, 60 bytes in UTF-8
    for (const std::string& spec : DiskFormatSpecs(dir.Path())) {
        if (spec[0] == 'J')
            continue;  // JAM names have no fixed width
        std::unique_ptr<MsgBase> base = OpenCreated(spec);
        {
            LetterHeader header;
            base->SetOutgoingCharset(Charset::Utf8);
            base->SetMailType(MailEcho);
            header.From = longName;
            header.To = "All";
            header.Subject = "s";
            header.Written = 45000.5;
            header.Orig = FidoAddress{2, 5020, 1, 4};
            base->StartNewLetter(header);
        }
        base->WriteLine("text");
        ASSERT_EQ(base->WriteLetter(), 0) << spec;
        base->SeekFirst(base->GetNumber());
        base->LoadHeader();
        EXPECT_EQ(base->Header().From, "Константин Констан") << spec << ": 35 bytes hold 17 letters and the blank";
        base->CloseBase();
    }
}
