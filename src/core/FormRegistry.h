// The forms (windows) in application order, and the synchronous broadcast of
// model messages to them. The model never calls a window directly: it sends a
// message, and every registered form decides whether it concerns it.
#pragma once

#include <cstdint>
#include <vector>

class TModelForm {
public:
    virtual ~TModelForm() = default;
    // Handles one model message; param is the area concerned or nullptr.
    // A non-zero result answers a QueryForms question.
    virtual intptr_t ModelMessage(unsigned msg, void* param) = 0;
};

// A new form joins at the end of the list; activation moves it to the front,
// so the list runs from the most recently active form.
void RegisterForm(TModelForm* form);
void UnregisterForm(TModelForm* form);
void ActivateForm(TModelForm* form);
const std::vector<TModelForm*>& Forms();

// Sends msg to every form in order. A form that unregisters during the pass
// (a window that closes) is not sent the message afterwards.
void NotifyForms(unsigned msg, void* param);
// The same, but stops at the first form that answers non-zero and returns
// true; false when every form answered 0.
bool QueryForms(unsigned msg, void* param);
