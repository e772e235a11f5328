#include "ModelTestSupport.h"

#include <map>

#include "core/ModelMessages.h"
#include "msgbase/MsgBaseFactory.h"
#include "support/MemoryMsgBase.h"

RecordingForm::RecordingForm()
{
    RegisterForm(this);
}

RecordingForm::~RecordingForm()
{
    UnregisterForm(this);
}

intptr_t RecordingForm::ModelMessage(unsigned msg, void* param)
{
    Messages.emplace_back(msg, param);
    if (OnMessage)
        OnMessage(msg, param);
    return 0;
}

namespace {

std::string NameOf(unsigned msg)
{
    static const std::map<unsigned, std::string> names = {
        {WM_AREASCHANGED, "AREASCHANGED"},       {WM_SCANSTARTED, "SCANSTARTED"},
        {WM_AREASCANNED, "AREASCANNED"},         {WM_SCANFINISHED, "SCANFINISHED"},
        {WM_LETTERSLOADING, "LETTERSLOADING"},   {WM_LETTERSCHANGED, "LETTERSCHANGED"},
        {WM_CURRENTAREACHANGED, "CURRENTAREACHANGED"}, {WM_CURRENTLETTERCHANGED, "CURRENTLETTERCHANGED"},
        {WM_AREAOPENED, "AREAOPENED"},           {WM_AREACLOSED, "AREACLOSED"},
        {WM_AREADESTROYED, "AREADESTROYED"},     {WM_COUNTSCHANGED, "COUNTSCHANGED"},
        {WM_QUERYCLOSEAREA, "QUERYCLOSEAREA"},
    };
    auto it = names.find(msg);
    return it == names.end() ? std::to_string(msg) : it->second;
}

}  // namespace

std::vector<std::string> RecordingForm::Names() const
{
    std::vector<std::string> names;
    for (const auto& [msg, param] : Messages)
        names.push_back(NameOf(msg));
    return names;
}

std::vector<std::string> RecordingForm::NamesFor(void* param) const
{
    std::vector<std::string> names;
    for (const auto& [msg, p] : Messages) {
        if (p != param)
            continue;
        names.push_back(NameOf(msg));
        // An area's messages end with its destruction: an area made later
        // may take the same address.
        if (msg == WM_AREADESTROYED)
            break;
    }
    return names;
}

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
