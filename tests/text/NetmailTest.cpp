// Netmail saved from an editor: what each format stores, byte for byte against
// records written out by hand; where an answer goes and from which address;
// addresses that name no station are refused before anything is written.
#include <gtest/gtest.h>

#include <memory>

#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/LetterWriter.h"
#include "support/MemoryMsgBase.h"
#include "support/TestSupport.h"
#include "text/Netmail.h"
#include "text/PreparedText.h"
#include "text/SaveLetter.h"

namespace {

using Lines = std::vector<std::string>;

const DateTime Now = EncodeDate(2024, 5, 6) + EncodeTime(10, 11, 12);
const std::string Tear = "--- Quorvel 2.00.84";
const std::string DosWritten = Le16(0x58A6) + Le16(0x5160);  // 2024-05-06, 10:11:00

// A netmail editor in the area, in a mode, answering the area's first letter
// unless it writes a new one.
EditorState NetmailEditor(TArea& area, int mode)
{
    EditorState e;
    e.Mode = mode;
    e.Area = &area;
    e.Netmail = true;
    if (mode != NewLetterMode) {
        e.AnsweredKey = area.Letters.At(0)->Key;
        ReadAnsweredText(e, *area.Letters.At(0));
    }
    e.Modified = true;
    return e;
}

class Netmail : public ::testing::Test {
protected:
    Session Owner;
    UserSettings& Settings = Owner.Settings;

    void SetUp() override
    {
        Settings.UserName = "Ivan Petrov";
        Settings.MainAddress = {2, 5020, 1234, 5};
    }

    // A new netmail letter from the point to a point in zone 1, saved into the
    // base; the base's files are then read by the test.
    void SaveInto(const std::string& spec)
    {
        TArea area(Owner, "NETMAIL", "Netmail", spec);
        EditorState e = NetmailEditor(area, NewLetterMode);
        e.From = Settings.UserName;
        e.FromAddress = "2:5020/1234.5";
        e.To = "Far Point";
        e.ToAddress = "1:234/5.6";
        e.Subject = "Hi";
        e.Lines = {"Hello.", Tear};
        ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved);
    }

    TempDir Dir;
};

// The MSGID line the save wrote into a text (its serial is the save's own).
std::string MsgIdLine(const std::string& text)
{
    const std::size_t at = text.find("\x01MSGID: ");
    return at == std::string::npos ? std::string() : text.substr(at, text.find('\r', at) - at);
}

}  // namespace

TEST_F(Netmail, FidoStoresZonesAndPointsInControlLinesAndIsPrivate)
{
    SaveInto("F" + Dir.Path() + "/net/");
    const std::string bytes = ReadFileBytes(Dir / "net/2.msg");
    ASSERT_GT(bytes.size(), 190u);
    const std::string text = bytes.substr(190);
    const std::string header = ZeroField("Ivan Petrov", 36) + ZeroField("Far Point", 36) + ZeroField("Hi", 72) +
                               ZeroField("06 May 24  10:11:00", 20) + Le16(1) + Le16(5) + Le16(1234) + Le16(0) +
                               Le16(5020) + Le16(234) + DosWritten;
    EXPECT_EQ(bytes.substr(0, 180), header);
    EXPECT_EQ(bytes.substr(184, 6), Le16(0) + Le16(0x0101) + Le16(0)) << "private and local";
    EXPECT_EQ(MsgIdLine(text).substr(0, 22), "\x01MSGID: 2:5020/1234.5 ");
    EXPECT_EQ(text, "\x01TOPT 6\r\x01" "FMPT 5\r\x01INTL 1:234/5 2:5020/1234\r" + MsgIdLine(text) +
                        "\r\x01" "CHRS: CP866 2\rHello.\r" + Tear + "\r" + std::string(1, '\0'))
        << "no origin line";
}

TEST_F(Netmail, HudsonMarksNetmailForExportAndKeepsPointsInControlLines)
{
    SaveInto("H001" + Dir.Path() + "/hudson/");
    const std::string hdr = ReadFileBytes(Dir / "hudson/msghdr.bbs");
    const std::string txt = ReadFileBytes(Dir / "hudson/msgtxt.bbs");
    ASSERT_EQ(hdr.size(), 187u);
    ASSERT_EQ(txt.size(), 256u);  // one block
    const std::string text = txt.substr(1, uint8_t(txt[0]));
    EXPECT_EQ(text, "\x01TOPT 6\r\x01" "FMPT 5\r" + MsgIdLine(text) + "\r\x01" "CHRS: CP866 2\rHello.\r" + Tear + "\r");
    // Number 1, one text block from block 0; to 1:234/5 from 2:5020/1234; local,
    // private, netmail, waiting for export and read; board 1.
    const std::string expected = Le16(1) + Le16(0) + Le16(0) + Le16(0) + Le16(0) + Le16(1) + Le16(234) + Le16(5) +
                                 Le16(5020) + Le16(1234) + "\x01\x02" + Le16(0) + std::string("\xCE\x00\x01", 3) +
                                 PascalField("10:11", 6) + PascalField("05-06-24", 9) + PascalField("Far Point", 36) +
                                 PascalField("Ivan Petrov", 36) + PascalField("Hi", 73);
    EXPECT_EQ(hdr, expected);
    EXPECT_EQ(ReadFileBytes(Dir / "hudson/netmail.bbs"), Le16(0)) << "the tosser's list of netmail to export";
    EXPECT_FALSE(PathExists(Dir / "hudson/echomail.bbs"));
}

TEST_F(Netmail, SquishKeepsBothFullAddressesInTheHeader)
{
    SaveInto("S" + Dir.Path() + "/sq/net");
    const std::string sqd = ReadFileBytes(Dir / "sq/net.sqd");
    ASSERT_GT(sqd.size(), 256u + 28 + 238);
    // Private, local and read; not yet scanned, so the tosser exports it.
    const std::string expected = Le32(0x80000101) + ZeroField("Ivan Petrov", 36) + ZeroField("Far Point", 36) +
                                 ZeroField("Hi", 72) + Le16(2) + Le16(5020) + Le16(1234) + Le16(5) + Le16(1) +
                                 Le16(234) + Le16(5) + Le16(6) + DosWritten + std::string(4 + 2 + 4 + 36 + 4, '\0') +
                                 ZeroField("06 May 24  10:11:00", 20);
    EXPECT_EQ(sqd.substr(256 + 28, 238), expected);
    const std::string text = sqd.substr(256 + 28 + 238);
    EXPECT_EQ(text.substr(0, text.find('\0')), MsgIdLine(text) + "\r\x01" "CHRS: CP866 2\rHello.\r" + Tear + "\r");
}

TEST_F(Netmail, JamStoresTheNetmailTypeAndBothAddressSubfields)
{
    SaveInto("J" + Dir.Path() + "/jam/net");
    const std::string jhr = ReadFileBytes(Dir / "jam/net.jhr");
    ASSERT_GT(jhr.size(), 1024u + 76);
    const std::string msgId = "2:5020/1234.5 " + jhr.substr(1024 + 76 + 8 + 14, 8);
    const std::string subfields = Le16(4) + Le16(0) + Le32(22) + msgId + Le16(2000) + Le16(0) + Le32(13) +
                                  "CHRS: CP866 2" + Le16(3) + Le16(0) + Le32(9) + "Far Point" +
                                  Le16(2) + Le16(0) + Le32(11) + "Ivan Petrov" + Le16(6) + Le16(0) + Le32(2) + "Hi" +
                                  Le16(1) + Le16(0) + Le32(9) + "1:234/5.6" + Le16(0) + Le16(0) + Le32(13) +
                                  "2:5020/1234.5";
    // Netmail, read, private and local; the MSGID's checksum is checked where
    // the format's control lines are.
    const std::string expected = std::string("JAM\0", 4) + Le16(1) + Le16(0) + Le32(uint32_t(subfields.size())) +
                                 Le32(0) + jhr.substr(1024 + 16, 4) + Le32(0xFFFFFFFF) + Le32(0) + Le32(0) + Le32(0) +
                                 Le32(1714990260) + Le32(0) + Le32(0) + Le32(1) + Le32(0x12000005) + Le32(0) +
                                 Le32(0) + Le32(27) + Le32(0xFFFFFFFF) + Le32(0) + subfields;
    EXPECT_EQ(jhr.substr(1024), expected);
    EXPECT_EQ(ReadFileBytes(Dir / "jam/net.jdt"), "Hello.\r" + Tear + "\r");
}

// Every format gives the saved letter's full ends back, so an answer to it
// goes to the point it came from (Hudson and *.MSG keep points in lines).
TEST_F(Netmail, AnAnswerInEveryFormatGoesToTheFullOrigin)
{
    for (const std::string& spec : DiskFormatSpecs(Dir.Path())) {
        SCOPED_TRACE(spec);
        SaveInto(spec);
        TArea area(Owner, "NETMAIL", "Netmail", spec);
        area.Open();
        area.Load();
        ASSERT_EQ(area.Letters.Count(), 1u);
        const EditorState reply = NetmailEditor(area, ReplyMode);
        EXPECT_EQ(reply.AnsweredText.DestAddr, (FidoAddress{1, 234, 5, 6}));
        EXPECT_EQ(StartingDestination(reply), "2:5020/1234.5");
        area.Close();
    }
}

TEST_F(Netmail, AReplyIsPrivateWithoutOriginAndTheSenderFitsTheDestination)
{
    MemoryMsgBase::RegisterFormat();
    std::shared_ptr<MemoryStore> store = MemoryMsgBase::StoreNamed("netmail-reply");
    MemoryLetter incoming;
    incoming.From = "Far Point";
    incoming.To = "Ivan Petrov";
    incoming.Subject = "Question";
    incoming.Orig = {1, 234, 5, 6};
    incoming.Dest = {1, 234, 99, 7};
    incoming.Text = "\x01MSGID: 1:234/5.6 1a2b3c4d\rHow are you?\r";
    const Num asked = MemoryMsgBase(store).Add(incoming);
    Settings.AKAs = {"1:234/99.7", "junk", "2:5030/1.1", "2:5020/1234.5"};
    TArea area(Owner, "NETMAIL", "Netmail", "Mnetmail-reply");
    area.Open();
    area.Load();
    EditorState e = NetmailEditor(area, ReplyMode);
    e.To = "Far Point";
    e.Subject = "Question";
    e.ToAddress = StartingDestination(e);
    EXPECT_EQ(e.ToAddress, "1:234/5.6");
    e.FromAddress = AddressToText(ChooseSenderAddress(Settings, {1, 234, 5, 6}));
    EXPECT_EQ(e.FromAddress, "1:234/99.7") << "the AKA in the destination's net";
    Settings.QuoteReplyTemplate = {"@Position"};
    e.Lines = PrepareText(Settings, e, Now);
    EXPECT_EQ(e.Lines.back(), Tear) << "netmail carries no origin line";

    ASSERT_EQ(SaveLetter(e, Now), SaveOutcome::Saved);
    const MemoryLetter& stored = store->Letters.at(store->High);
    EXPECT_EQ(stored.Dest, (FidoAddress{1, 234, 5, 6}));
    EXPECT_EQ(stored.Orig, (FidoAddress{1, 234, 99, 7}));
    EXPECT_EQ(stored.Flags, (LetterFlags{LetterFlag::Local, LetterFlag::Private, LetterFlag::Read}));
    EXPECT_EQ(stored.ReplyTo, asked);
    EXPECT_EQ(stored.Text.substr(0, 19), "\x01MSGID: 1:234/99.7 ") << "the MSGID names the sender chosen";
    EXPECT_NE(stored.Text.find("\r\x01REPLY: 1:234/5.6 1a2b3c4d\r"), std::string::npos);
    EXPECT_EQ(stored.Text.find(" * Origin:"), std::string::npos);

    // Senders: the main address, then each AKA that is an address, once;
    // zone and net first, then the zone, else the main address.
    EXPECT_EQ(SenderAddresses(Settings),
              (std::vector<FidoAddress>{{2, 5020, 1234, 5}, {1, 234, 99, 7}, {2, 5030, 1, 1}}));
    EXPECT_EQ(ChooseSenderAddress(Settings, {1, 100, 1, 0}), (FidoAddress{1, 234, 99, 7}));
    EXPECT_EQ(ChooseSenderAddress(Settings, {2, 5030, 5, 0}), (FidoAddress{2, 5030, 1, 1}));
    EXPECT_EQ(ChooseSenderAddress(Settings, {2, 5040, 1, 0}), Settings.MainAddress);
    EXPECT_EQ(ChooseSenderAddress(Settings, {3, 1, 1, 0}), Settings.MainAddress);
}

TEST_F(Netmail, AnAddressThatNamesNoStationWritesNothing)
{
    MemoryMsgBase::RegisterFormat();
    std::shared_ptr<MemoryStore> store = MemoryMsgBase::StoreNamed("netmail-bad");
    TArea area(Owner, "NETMAIL", "Netmail", "Mnetmail-bad");
    for (const char* to : {"", "Sergey", "2:5020/65536", "2:5020/.5"}) {
        EditorState e = NetmailEditor(area, NewLetterMode);
        e.FromAddress = "2:5020/1234.5";
        e.ToAddress = to;
        e.Lines = {"Text"};
        EXPECT_THROW(SaveLetter(e, Now), EBadAddress) << to;
        EXPECT_TRUE(e.Modified);
    }
    EditorState e = NetmailEditor(area, NewLetterMode);
    e.FromAddress = "2:5020/1234.5";
    e.ToAddress = "2:5020/65536";
    try {
        SaveLetter(e, Now);
    } catch (const EBadAddress& bad) {
        EXPECT_EQ(std::string(bad.what()), "В адресе получателя \"2:5020/65536\" есть число больше 65535.");
    }
    EXPECT_TRUE(store->Letters.empty());
}
