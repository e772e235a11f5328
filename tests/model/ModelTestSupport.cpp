#include "ModelTestSupport.h"

#include "msgbase/MsgBaseFactory.h"
#include "support/MemoryMsgBase.h"

std::string FreshMemorySpec()
{
    static int serial = 0;
    MemoryMsgBase::RegisterFormat();
    return "Mmodel-test-" + std::to_string(++serial);
}

TLetter* MakeLetter(TArea& area, Num number, Num replyTo, const std::string& subject, const std::string& from,
                    DateTime date, bool unread)
{
    return new TLetter(&area, number, replyTo, subject, from, "All", date, unread);
}

void InstallLetters(TArea& area, const std::vector<TLetter*>& letters)
{
    std::vector<std::unique_ptr<TLetter>> owned;
    for (TLetter* letter : letters)
        owned.emplace_back(letter);
    area.InstallLetters(std::move(owned));
}
