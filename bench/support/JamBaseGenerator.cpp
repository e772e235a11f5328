#include "support/JamBaseGenerator.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "msgbase/jam/JamLayout.h"
#include "msgbase/jam/JamSubfields.h"
#include "support/GeneratedLetters.h"

namespace {

void Append(std::string& out, const void* data, std::size_t size)
{
    out.append(static_cast<const char*>(data), size);
}

void Save(const std::string& name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + name);
}

std::string MsgId(long n)
{
    char text[32];
    std::snprintf(text, sizeof text, "2:5020/%ld %08lx", 100 + n % 50, 0x6a000000L + n);
    return text;
}

}  // namespace

void GenerateJamBase(const std::string& basePath, long letters, int unreadEvery)
{
    static const char* const names[] = {"John Smith", "Ivan Petrov", "\x88\xa2\xa0\xad \x8f\xa5\xe2\xe0\xae\xa2",
                                        "Long Writer", "Point User", "All"};
    const uint32_t start = 1733043600;  // 2024-12-01 09:00
    std::string jhr, jdt, jdx;
    jhr.reserve(static_cast<std::size_t>(letters) * 260 + 1024);
    jdt.reserve(static_cast<std::size_t>(letters) * 200);
    jdx.reserve(static_cast<std::size_t>(letters) * 8);

    JamBaseHeader base{};
    base.Signature = JamSignature;
    base.DateCreated = start;
    base.ModCounter = static_cast<uint32_t>(letters);
    base.ActiveMsgs = static_cast<uint32_t>(letters);
    base.PasswordCRC = JamNoCrc;
    base.BaseMsgNum = 1;
    Append(jhr, &base, sizeof base);

    for (long n = 1; n <= letters; ++n) {
        const std::string from = names[n % 5], to = names[(n + 2) % 6];
        long answered = n % 5 == 0 && n > 10 ? n - 7 : 0;
        std::vector<uint8_t> subfields;
        AddJamSubfield(subfields, JamSenderName, from);
        AddJamSubfield(subfields, JamReceiverName, to);
        AddJamSubfield(subfields, JamSubject, (answered ? "Re: Topic " + std::to_string(answered) : "Topic " + std::to_string(n)));
        AddJamSubfield(subfields, JamMsgId, MsgId(n));
        if (answered)
            AddJamSubfield(subfields, JamReplyId, MsgId(answered));
        AddJamSubfield(subfields, JamPid, "GenBench 1.0");
        AddJamSubfield(subfields, JamSeenBy2D, "5020/100 1234 5678");
        AddJamSubfield(subfields, JamPath2D, "5020/100");

        std::string text = "Hello " + to + ",\r\rThis is letter " + std::to_string(n) +
                           " of the benchmark area, a few lines long.\r\r--- GenBench 1.0\r"
                           " * Origin: Benchmark (2:5020/100)\r";

        JamMsgHeader h{};
        h.Signature = JamSignature;
        h.Revision = JamRevision;
        h.SubfieldLen = static_cast<uint32_t>(subfields.size());
        h.MSGIDcrc = JamNameCrc(MsgId(n));
        h.REPLYcrc = answered ? JamNameCrc(MsgId(answered)) : JamNoCrc;
        h.ReplyTo = static_cast<uint32_t>(answered);
        h.DateWritten = start + static_cast<uint32_t>(n) * 60;
        h.DateProcessed = h.DateWritten + 3600;
        h.MessageNumber = static_cast<uint32_t>(n);
        h.Attribute = JamTypeEcho | (IsUnreadLetter(n, unreadEvery) ? 0 : JamRead);
        h.TxtOffset = static_cast<uint32_t>(jdt.size());
        h.TxtLen = static_cast<uint32_t>(text.size());
        h.PasswordCRC = JamNoCrc;

        JamIndexRecord index{JamNameCrc(to), static_cast<uint32_t>(jhr.size())};
        Append(jdx, &index, sizeof index);
        Append(jhr, &h, sizeof h);
        Append(jhr, subfields.data(), subfields.size());
        jdt += text;
    }
    Save(basePath + ".jhr", jhr);
    Save(basePath + ".jdt", jdt);
    Save(basePath + ".jdx", jdx);
    Save(basePath + ".jlr", "");
}
