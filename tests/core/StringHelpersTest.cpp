#include <gtest/gtest.h>

#include "core/Crc32.h"
#include "core/FidoAddress.h"
#include "core/StringHelpers.h"
#include "support/TestSupport.h"

TEST(ParseAddress, MissingPartsComeFromTheDefaultAddress)
{
    FidoAddress a;
    EXPECT_TRUE(ParseAddress("1:2/3.4@x", {}, a));
    EXPECT_EQ(a, (FidoAddress{1, 2, 3, 4}));

    EXPECT_TRUE(ParseAddress("7", {1, 2, 0, 0}, a));
    EXPECT_EQ(a, (FidoAddress{1, 2, 7, 0}));

    EXPECT_TRUE(ParseAddress("1:2/", {1, 9, 9, 5}, a));
    EXPECT_EQ(a, (FidoAddress{1, 2, 9, 0})) << "an empty node takes the default's; the point never does";

    EXPECT_FALSE(ParseAddress("1:x/3", {}, a));
    EXPECT_EQ(a.Zone, 1);
    EXPECT_EQ(a.Node, 3);
}

TEST(ParseAddress, BlanksDomainsAndBadPoints)
{
    FidoAddress a;
    EXPECT_TRUE(ParseAddress("  2 : 5020 / 1234 . 56  ", {}, a));
    EXPECT_EQ(a, (FidoAddress{2, 5020, 1234, 56}));
    EXPECT_TRUE(ParseAddress("2:5020/1234.x", {}, a)) << "a bad point is 0, not a failure";
    EXPECT_EQ(a.Point, 0);
    EXPECT_TRUE(ParseAddress("5020/1234", {2, 1, 1, 1}, a));
    EXPECT_EQ(a, (FidoAddress{2, 5020, 1234, 0}));
    EXPECT_TRUE(ParseAddress("", {2, 5020, 1, 7}, a));
    EXPECT_EQ(a, (FidoAddress{2, 5020, 1, 0}));
}

TEST(ParseExactAddress, NamesOneStationOrSaysWhatIsWrong)
{
    struct Case {
        const char* Text;
        AddressFault Fault;
        FidoAddress Address;
    };
    const Case cases[] = {
        {"2:5020/1234.5", AddressFault::None, {2, 5020, 1234, 5}},
        {" 1:234/5@fidonet ", AddressFault::None, {1, 234, 5, 0}},
        {"5020/77.3", AddressFault::None, {2, 5020, 77, 3}},  // the zone is the default's
        {"2:65535/65535.65535", AddressFault::None, {2, 65535, 65535, 65535}},
        {"", AddressFault::Empty, {}},
        {"2:5020/65536", AddressFault::PartTooLarge, {}},
        {"70000:1/1", AddressFault::PartTooLarge, {}},
        {"2:5020/1234.99999999999", AddressFault::PartTooLarge, {}},
        {".5", AddressFault::PointWithoutNode, {}},
        {"2:5020/.5", AddressFault::PointWithoutNode, {}},
        {"Sergey Volkov", AddressFault::NotAnAddress, {}},
        {"1234", AddressFault::NotAnAddress, {}},  // no net
        {"2:5020/", AddressFault::NotAnAddress, {}},
        {"2:5020/1234.x", AddressFault::NotAnAddress, {}},
        {"2:5020/12 34", AddressFault::NotAnAddress, {}},
        {"2:x/99999", AddressFault::NotAnAddress, {}},  // letters outweigh a large part
        {"0:5020/1", AddressFault::ZeroZoneOrNet, {}},
        {"2:0/0", AddressFault::ZeroZoneOrNet, {}},
    };
    for (const Case& c : cases) {
        FidoAddress a{9, 9, 9, 9};
        EXPECT_EQ(ParseExactAddress(c.Text, 2, a), c.Fault) << c.Text;
        const FidoAddress untouched{9, 9, 9, 9};
        EXPECT_EQ(a, c.Fault == AddressFault::None ? c.Address : untouched) << c.Text;
    }
}

TEST(AddressToText, PointOnlyWhenNotZero)
{
    EXPECT_EQ(AddressToText({1, 2, 3, 0}), "1:2/3");
    EXPECT_EQ(AddressToText({1, 2, 3, 4}), "1:2/3.4");
    EXPECT_EQ(Address3DToText(2, 5020, 1234), "2:5020/1234");
}

TEST(ExtractWord, SemicolonsAndBlanks)
{
    const std::string text = "alpha;beta  gamma";
    EXPECT_EQ(ExtractWord(text, 1), "alpha");
    EXPECT_EQ(ExtractWord(text, 2), ";beta");
    EXPECT_EQ(ExtractWord(text, 3), "gamma");
    EXPECT_EQ(ExtractWord(text, 4), "");
    EXPECT_EQ(ExtractWord("\t one\ttwo ", 2), "two");
    EXPECT_EQ(ExtractWord("", 1), "");
}

TEST(PadLeftRight, FillAndCut)
{
    EXPECT_EQ(PadLeft("0123456789", '0', 4), "0123");
    EXPECT_EQ(PadLeft("5", '0', 3), "005");
    EXPECT_EQ(PadRight("ab", '.', 4), "ab..");
    EXPECT_EQ(PadRight("abcdef", '.', 4), "abcd");
}

TEST(StripRePrefixes, RepeatedAnyCaseButNotNumbered)
{
    EXPECT_EQ(StripRePrefixes("Re:rE:Hello"), "Hello");
    EXPECT_EQ(StripRePrefixes("RE:  re:   Subject text"), "Subject text");
    EXPECT_EQ(StripRePrefixes("Re[2]: Hello"), "Re[2]: Hello");
    EXPECT_EQ(StripRePrefixes("Reply"), "Reply");
    EXPECT_EQ(StripRePrefixes("RE:"), "");
    // Everything after the prefix is at most 255 characters.
    EXPECT_EQ(StripRePrefixes("Re: " + std::string(300, 'x')).size(), 254u);
}

TEST(StringHelpers, AsciiCaseNumbersTrimmingAndSeparators)
{
    EXPECT_EQ(UpperAscii("ru.test привет"), "RU.TEST привет");
    EXPECT_EQ(StrToIntTrim("  42 "), 42);
    EXPECT_EQ(StrToIntTrim("4x2"), 0);
    EXPECT_EQ(StrToIntTrim(""), 0);
    EXPECT_EQ(StripBoth("xxaxx", 'x'), "a");
    EXPECT_EQ(LastCharPos('(', "a (b) (c)"), 7u);
    EXPECT_EQ(LastCharPos('(', "abc"), 0u);
    std::string path = "/var/spool";
    AddBackslash(path);
    AddBackslash(path);
    EXPECT_EQ(path, "/var/spool/");
    EXPECT_EQ(WithBackslash(""), "");
    char buffer[5];
    CopyToBuffer("abcdefgh", 4, buffer);
    EXPECT_STREQ(buffer, "abcd");
}

TEST(Crc32, NoFinalInversionNamesInOneCaseLengthModulo256)
{
    EXPECT_EQ(Crc32Buffer("abc", 3), 0xCADBBE3Du);
    EXPECT_EQ(~Crc32Buffer("abc", 3), 0x352441C2u);
    EXPECT_EQ(Crc32UpperName("abc"), 0x5C7CFCB7u);
    EXPECT_EQ(Crc32UpperName("ABC"), Crc32UpperName("abc"));
    EXPECT_EQ(Crc32LowerName("ABC"), Crc32Buffer("abc", 3));
    // Only the length modulo 256 is taken.
    EXPECT_EQ(Crc32UpperName(std::string(256, 'a') + "b"), Crc32UpperName("a"));
}

