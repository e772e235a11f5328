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

// Registers itself for its lifetime and records every message it is sent.
class RecordingForm : public TModelForm {
public:
    RecordingForm();
    ~RecordingForm() override;
    intptr_t ModelMessage(unsigned msg, void* param) override;

    std::vector<std::pair<unsigned, void*>> Messages;
    // Messages as names, e.g. "LETTERSLOADING"; only those about param when given.
    std::vector<std::string> Names() const;
    std::vector<std::string> NamesFor(void* param) const;
    // Called for every message after recording (may be empty).
    std::function<void(unsigned, void*)> OnMessage;
};

struct LetterSpec {
    std::string From = "Sender";
    std::string To = "All";
    std::string Subject = "Subject";
    DateTime Date = 45000.5;
    Num ReplyTo = 0;
    bool Read = false;
    std::vector<std::string> Lines = {};
};

// Writes a letter through StartNewLetter, the setters, WriteLine and
// WriteLetter; returns its number (0 when the base refused it).
Num WriteLetterTo(MsgBase& base, const LetterSpec& letter);

// Opens the base named by spec (creating it), writes the letters and closes
// it; returns their numbers.
std::vector<Num> WriteLetters(const std::string& spec, const std::vector<LetterSpec>& letters);

// A memory base spec no other test uses ("M" + a fresh name).
std::string FreshMemorySpec();

// Base strings of every on-disk format, inside dir; a format the factory does
// not know yet is left out (its tests start running when it lands).
std::vector<std::string> DiskFormatSpecs(const std::string& dir);

// A letter made by hand for tests that need no base.
TLetter* MakeLetter(TArea& area, Num number, Num replyTo, const std::string& subject, const std::string& from,
                    DateTime date, bool unread);
