// quorvel-tool list / read / mark-read / delete: one message base,
// driven through the message base interface exactly as the program drives it.
#include <iostream>
#include <string>
#include <vector>

#include "core/StringHelpers.h"
#include "core/TosserFlag.h"
#include "msgbase/NetmailLines.h"
#include "tools/ToolCommands.h"

namespace {

std::string Unsigned(uint32_t value)
{
    return std::to_string(value);
}

}  // namespace

int CommandList(Session&, Args args)
{
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);
    OpenedBase base(spec, false);
    std::string line;  // one buffer for every line
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        if (Status status = base->HeaderStatus(); status != 0) {
            // Left out: no line with an empty header stands for it.
            std::cerr << "quorvel-tool: letter " << base->GetNumber() << ": cannot read its header (status "
                      << status << ")\n";
            continue;
        }
        const LetterHeader header = base->Header();
        line.clear();
        for (const std::string& field :
             {Unsigned(header.Number), Unsigned(header.ReplyTo),
              std::string(header.Flags.Has(LetterFlag::Read) ? "R" : "U"), FormatIsoMinutes(header.Written),
              EscapeField(header.From), EscapeField(header.To)}) {
            line += field;
            line += '\t';
        }
        line += EscapeField(header.Subject);
        PrintLine(line);
    }
    return 0;
}

int CommandRead(Session&, Args args)
{
    bool kludges = TakeFlag(args, "--kludges");
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("read takes SPEC NUMBER [--kludges]");
    Num number = ParseNumber(args[0]);
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    // The full addresses: the header's, with the zones and points that
    // netmail control lines carry where the format keeps them there.
    FidoAddress orig = base->Header().Orig, dest = base->Header().Dest;
    std::vector<std::string> lines;
    for (base->StartText(); !base->TextEnded();) {
        lines.push_back(base->ReadLine(65535));
        ApplyNetmailLine(lines.back(), orig, dest);
    }
    const LetterHeader header = base->Header();  // decoded by the text's set, now it is known
    PrintLine("From: " + EscapeField(header.From));
    PrintLine("To: " + EscapeField(header.To));
    PrintLine("Subject: " + EscapeField(header.Subject));
    PrintLine("Date: " + FormatIsoMinutes(header.Written));
    PrintLine("OrigAddr: " + AddressToText(orig));
    PrintLine("DestAddr: " + AddressToText(dest));
    PrintLine("");
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == KludgeMark) {
            if (kludges)
                PrintLine("^A" + line.substr(1));
            continue;
        }
        PrintLine(line);
    }
    return 0;
}

int CommandMarkRead(Session& session, Args args)
{
    TakeTosserFlag(session, args);
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("mark-read takes SPEC NUMBER [--flag FILE [--wait SECONDS]]");
    Num number = ParseNumber(args[0]);
    session.Tosser.WaitFor("пометить письмо прочитанным");
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    LetterHeader header = base->Header();
    header.Flags.Set(LetterFlag::Read);
    if (Status status = base->RewriteHeader(header); status != 0)
        throw ToolError("cannot mark letter " + std::to_string(number) + " read (status " + std::to_string(status) + ")");
    return 0;
}

int CommandDelete(Session& session, Args args)
{
    TakeTosserFlag(session, args);
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("delete takes SPEC NUMBER [--flag FILE [--wait SECONDS]]");
    Num number = ParseNumber(args[0]);
    session.Tosser.WaitFor("удалить письмо");
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    if (Status status = base->DeleteLetter(); status != 0)
        throw ToolError("cannot delete letter " + std::to_string(number) + " (status " + std::to_string(status) + ")");
    return 0;
}
