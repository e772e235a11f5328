// Tossers keep a letter's control lines, its CHRS among them, in the frame's
// control information: the scan reads the header by it.
#include <gtest/gtest.h>

#include "SquishBytes.h"

namespace {

// A base of one letter from "Мир" in KOI8-R, whose control information is
// the given bytes and whose text is "Мир" in KOI8-R.
std::string OneLetterBase(const std::string& control)
{
    const std::string text = "\xED\xC9\xD2\r";
    const std::string message = Le32(0x100) + ZeroField("\xED\xC9\xD2", 36) + ZeroField("All", 36) +
                                MessageBytes("x").substr(76);  // the rest as MessageBytes has it
    const uint32_t length = static_cast<uint32_t>(message.size() + control.size() + text.size());
    SqdHeader h;
    h.num = 1;
    h.uid = 2;
    h.begin = h.last = 256;
    h.end = 256 + 28 + length;
    return HeaderBytes(h) + FrameBytes(0, 0, length, length, 0, static_cast<uint32_t>(control.size())) + message +
           control + text;
}

}  // namespace

TEST(SquishCharset, TheControlInformationsChrsDecodesTheHeaderInTheScan)
{
    const struct {
        const char* What;
        std::string Control;
        bool KnownInTheScan;
    } cases[] = {
        {"CHRS among the control lines", "\x01MSGID: 2:5020/1 12345678\x01" "CHRS: KOI8-R 2\x01TZUTC: 0300", true},
        {"CHRS ending the control information", "\x01" "CHRS: KOI8-R 2", true},
        {"CHRS past the first 512 bytes", "\x01X-LONG: " + std::string(600, 'x') + "\x01" "CHRS: KOI8-R 2", false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFileBytes(dir / "a.sqd", OneLetterBase(c.Control));
        WriteFileBytes(dir / "a.sqi", IndexBytes(256, 1));
        OpenSquish sq(dir / "a");
        ASSERT_EQ(sq.open, 0) << c.What;
        sq.base.SeekFirst(1);
        sq.base.LoadHeader();
        ASSERT_EQ(sq.base.HeaderStatus(), 0) << c.What;
        if (c.KnownInTheScan)
            EXPECT_EQ(sq.base.Header().From, "Мир") << c.What;
        else
            EXPECT_EQ(sq.base.Header().From, "э╔╥") << c.What << ": read as CP866";
        sq.base.StartText();
        std::string last;
        while (!sq.base.TextEnded())
            last = sq.base.ReadLine(65535);
        EXPECT_EQ(last, "Мир") << c.What;
        EXPECT_EQ(sq.base.Header().From, "Мир") << c.What << ": by the text's set once it is read";
    }
}
