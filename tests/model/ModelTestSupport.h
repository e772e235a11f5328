// What the model tests share: a form that records the model's messages, and
// writing letters into a base through the message base interface.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FormRegistry.h"
#include "model/TArea.h"
#include "msgbase/MsgBase.h"
#include "support/LetterWriter.h"

// Registers itself for its lifetime and records every message it is sent.
class RecordingForm : public TModelForm {
public:
    RecordingForm();
    ~RecordingForm() override;
    intptr_t ModelMessage(unsigned msg, void* param) override;

    std::vector<std::pair<unsigned, void*>> Messages;
    // Messages as names, e.g. "LETTERSLOADING"; NamesFor only those about
    // param, up to its WM_AREADESTROYED.
    std::vector<std::string> Names() const;
    std::vector<std::string> NamesFor(void* param) const;
    // Called for every message after recording (may be empty).
    std::function<void(unsigned, void*)> OnMessage;
};

// A memory base spec no other test uses ("M" + a fresh name).
std::string FreshMemorySpec();

// A letter made by hand for tests that need no base.
TLetter* MakeLetter(TArea& area, Num number, Num replyTo, const std::string& subject, const std::string& from,
                    DateTime date, bool unread);
