// Letter files of a *.MSG directory written byte by byte, for the tests.
#pragma once

#include <memory>
#include <string>

#include "msgbase/fido/FidoMsgBase.h"
#include "support/TestSupport.h"

struct FidoLetter {
    std::string From = "Sender", To = "All", Subject = "Subject";
    std::string Date = "05 May 09  09:07:00";
    uint16_t TimesRead = 0, DestNode = 2, OrigNode = 1, Cost = 0, OrigNet = 100, DestNet = 200;
    uint16_t ReplyTo = 0, Attr = 0, FirstReply = 0;
    std::string Text = "Hello\r";  // stored bytes
    bool Terminated = true;          // a NUL after the text

    std::string Bytes() const
    {
        std::string b = ZeroField(From, 36) + ZeroField(To, 36) + ZeroField(Subject, 72) + ZeroField(Date, 20) +
                        Le16(TimesRead) + Le16(DestNode) + Le16(OrigNode) + Le16(Cost) + Le16(OrigNet) +
                        Le16(DestNet) + Le32(0) + Le32(0) + Le16(ReplyTo) + Le16(Attr) + Le16(FirstReply) + Text;
        return Terminated ? b + '\0' : b;
    }
};

inline std::unique_ptr<FidoMsgBase> OpenFido(const std::string& dir)
{
    auto base = std::make_unique<FidoMsgBase>();
    base->SetBasePath(dir);
    EXPECT_EQ(base->OpenBase(), 0);
    return base;
}

// Every line of the current letter's text as ReadLine(65535) gives it.
inline std::vector<std::string> AllLines(MsgBase& base)
{
    std::vector<std::string> lines;
    base.StartText();
    while (!base.TextEnded())
        lines.push_back(base.ReadLine(65535));
    return lines;
}
