#include <gtest/gtest.h>

#include "core/MsgIdSerial.h"

TEST(MsgIdSerial, EightCapitalHexDigitsWithLeadingZeros)
{
    EXPECT_EQ(SerialText(0x1234ABu), "001234AB");
    EXPECT_EQ(SerialText(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(MsgIdSerial, GeneratorFromSeedZero)
{
    SeedMsgIdGenerator(0);
    // seed 1 -> (1 * 65535) >> 32 = 0; seed 134775814 -> 2056
    EXPECT_EQ(NextRandom65535(), 0u);
    EXPECT_EQ(NextRandom65535(), 2056u);
    SeedMsgIdGenerator(0);
    // 1.5 = 0x3FF8000000000000: high half 0x3FF80000 xor low half 0.
    EXPECT_EQ(NextMsgIdSerial(1.5), 0x3FF80000u);
    EXPECT_EQ(NextMsgIdSerial(1.5), 0x3FF80000u + 2056u) << "same millisecond: differ by the random part";
}
