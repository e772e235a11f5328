#include "support/LetterWriter.h"

#include <memory>

#include "msgbase/MsgBaseFactory.h"

Num WriteLetterTo(MsgBase& base, const LetterSpec& letter)
{
    base.StartNewLetter();
    base.SetOutgoingCharset(letter.Set);
    base.SetMailType(MailEcho);
    base.SetFrom(letter.From);
    base.SetTo(letter.To);
    base.SetSubject(letter.Subject);
    base.SetDateTime(letter.Date);
    base.SetOrigAddr(FidoAddress{2, 5020, 1, 4});
    base.SetLocal(true);
    if (letter.ReplyTo)
        base.SetReplyTo(letter.ReplyTo);
    base.SetRead(letter.Read);
    for (const std::string& line : letter.Lines)
        base.WriteLine(line);
    if (base.WriteLetter() != 0)
        return 0;
    return base.GetNumber();
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

