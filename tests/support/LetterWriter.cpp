#include "support/LetterWriter.h"

#include <memory>

#include "msgbase/MsgBaseFactory.h"

Num WriteLetterTo(MsgBase& base, const LetterSpec& letter)
{
    LetterHeader header;
    header.From = letter.From;
    header.To = letter.To;
    header.Subject = letter.Subject;
    header.Written = letter.Date;
    header.Orig = FidoAddress{2, 5020, 1, 4};
    header.ReplyTo = letter.ReplyTo;
    header.Flags = {LetterFlag::Local};
    header.Flags.Set(LetterFlag::Read, letter.Read);
    base.SetOutgoingCharset(letter.Set);
    base.SetMailType(MailEcho);
    if (base.WriteLetter(header, {}, letter.Lines) != 0)
        return 0;
    return base.GetNumber();
}

Status RewriteChanged(MsgBase& base, const std::function<void(LetterHeader&)>& change)
{
    LetterHeader header = base.Header();
    change(header);
    return base.RewriteHeader(header);
}

std::vector<Num> WriteLetters(const std::string& spec, const std::vector<LetterSpec>& letters)
{
    std::vector<Num> numbers;
    std::unique_ptr<MsgBase> base = CreateBaseFor(spec);
    if (!base)
        return numbers;
    if (!base->BaseExists())
        base->CreateBase(0, 0);
    if (base->OpenBase() != 0)
        return numbers;
    for (const LetterSpec& letter : letters)
        numbers.push_back(WriteLetterTo(*base, letter));
    base->CloseBase();
    return numbers;
}

std::vector<std::string> DiskFormatSpecs(const std::string& dir)
{
    std::vector<std::string> specs;
    for (const std::string& spec : {"H001" + dir + "/hudson/", "J" + dir + "/jam/area", "S" + dir + "/sq/area",
                                    "F" + dir + "/msg/"})
        if (CreateBaseFor(spec))
            specs.push_back(spec);
    return specs;
}

