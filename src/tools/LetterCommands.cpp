// quorvel-tool list / read / post / mark-read / delete: one message base,
// driven through the message base interface exactly as the program drives it.
#include <string>

#include "core/CodePage.h"
#include "core/MsgIdSerial.h"
#include "core/StringHelpers.h"
#include "tools/ToolCommands.h"

namespace {

std::string Unsigned(uint32_t value)
{
    return std::to_string(value);
}

std::string TakeSpec(Args& args)
{
    if (args.empty())
        throw UsageError("a message base (SPEC) is needed");
    std::string spec = args.front();
    args.erase(args.begin());
    return spec;
}

void ExpectNoMore(const Args& args)
{
    if (!args.empty())
        throw UsageError("unexpected argument: " + AnsiToUtf8(args.front()));
}

// The value of the letter's MSGID control line, or "" (the header is loaded).
std::string MsgIdOfCurrent(MsgBase& base)
{
    static const std::string prefix = std::string(1, KludgeMark) + "MSGID:";
    base.StartText();
    while (!base.TextEnded()) {
        std::string line = base.ReadLine(65535);
        if (line.compare(0, prefix.size(), prefix) == 0)
            return StripLeading(line.substr(prefix.size()), ' ');
    }
    return {};
}

}  // namespace

int CommandList(Args args)
{
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);
    OpenedBase base(spec, false);
    for (base->SeekFirst(1); base->SeekFound(); base->SeekNext()) {
        base->LoadHeader();
        PrintLine(Unsigned(base->GetNumber()) + "\t" + Unsigned(base->GetReplyTo()) + "\t" +
                  (base->IsRead() ? "R" : "U") + "\t" + FormatIsoMinutes(base->GetDateTime()) + "\t" +
                  base->GetFrom() + "\t" + base->GetTo() + "\t" + base->GetSubject());
    }
    return 0;
}

int CommandRead(Args args)
{
    bool kludges = TakeFlag(args, "--kludges");
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("read takes SPEC NUMBER [--kludges]");
    Num number = ParseNumber(args[0]);
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    FidoAddress orig, dest;
    base->GetOrigAddr(orig);
    base->GetDestAddr(dest);
    PrintLine("From: " + base->GetFrom());
    PrintLine("To: " + base->GetTo());
    PrintLine("Subject: " + base->GetSubject());
    PrintLine("Date: " + FormatIsoMinutes(base->GetDateTime()));
    PrintLine("OrigAddr: " + AddressToText(orig));
    PrintLine("DestAddr: " + AddressToText(dest));
    PrintLine("");
    base->StartText();
    while (!base->TextEnded()) {
        std::string line = base->ReadLine(65535);
        if (!line.empty() && line[0] == KludgeMark) {
            if (kludges)
                PrintLine("^A" + line.substr(1));
            continue;
        }
        PrintLine(line);
    }
    return 0;
}

int CommandPost(Args args)
{
    std::string from, to, subject, addressText, replyText;
    if (!TakeOption(args, "--from", from) || !TakeOption(args, "--to", to) ||
        !TakeOption(args, "--subject", subject) || !TakeOption(args, "--addr", addressText))
        throw UsageError("post needs --from, --to, --subject and --addr");
    bool replying = TakeOption(args, "--reply", replyText);
    std::string spec = TakeSpec(args);
    ExpectNoMore(args);

    FidoAddress address;
    if (!ParseAddress(addressText, FidoAddress{}, address) || address.Net == 0)
        throw ToolError("not a FidoNet address: " + AnsiToUtf8(addressText));
    std::vector<std::string> lines = ReadStdinLines();

    OpenedBase base(spec, true);
    Num replyTo = 0;
    std::string answeredMsgId;
    if (replying) {
        replyTo = ParseNumber(replyText);
        base.GoToLetter(replyTo);
        answeredMsgId = MsgIdOfCurrent(*base);
    }

    base->StartNewLetter();
    base->SetFrom(from);
    base->SetTo(to);
    base->SetSubject(subject);
    base->SetDateTime(NowWholeMinutes());
    base->SetOrigAddr(address);
    base->SetLocal(true);
    base->SetMailType(MailEcho);
    if (replyTo != 0)
        base->SetReplyTo(replyTo);
    base->SetRead(true);
    if (base->HasExportMark())
        base->SetEcho(true);
    base->WriteKludge(std::string(1, KludgeMark) + "MSGID: " + AddressToText(address) + " " +
                      SerialText(NextMsgIdSerial(NowDateTime())));
    if (!answeredMsgId.empty())
        base->WriteKludge(std::string(1, KludgeMark) + "REPLY: " + answeredMsgId);
    for (const std::string& line : lines)
        base->WriteLine(line);
    if (Status status = base->WriteLetter(); status != 0)
        throw ToolError("cannot write the letter (status " + std::to_string(status) + ")");
    PrintLine(Unsigned(base->GetNumber()));
    return 0;
}

int CommandMarkRead(Args args)
{
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("mark-read takes SPEC NUMBER");
    Num number = ParseNumber(args[0]);
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    base->SetRead(true);
    if (Status status = base->RewriteHeader(); status != 0)
        throw ToolError("cannot mark letter " + std::to_string(number) + " read (status " + std::to_string(status) + ")");
    return 0;
}

int CommandDelete(Args args)
{
    std::string spec = TakeSpec(args);
    if (args.size() != 1)
        throw UsageError("delete takes SPEC NUMBER");
    Num number = ParseNumber(args[0]);
    OpenedBase base(spec, false);
    base.GoToLetter(number);
    if (Status status = base->DeleteLetter(); status != 0)
        throw ToolError("cannot delete letter " + std::to_string(number) + " (status " + std::to_string(status) + ")");
    return 0;
}
