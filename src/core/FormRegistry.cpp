#include "core/FormRegistry.h"

#include <algorithm>

namespace {

std::vector<TModelForm*>& FormList()
{
    static std::vector<TModelForm*> forms;
    return forms;
}

bool IsRegistered(TModelForm* form)
{
    const auto& forms = FormList();
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

}  // namespace

void RegisterForm(TModelForm* form)
{
    if (!IsRegistered(form))
        FormList().push_back(form);
}

void UnregisterForm(TModelForm* form)
{
    auto& forms = FormList();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

void ActivateForm(TModelForm* form)
{
    UnregisterForm(form);
    auto& forms = FormList();
    forms.insert(forms.begin(), form);
}

const std::vector<TModelForm*>& Forms()
{
    return FormList();
}

void NotifyForms(unsigned msg, void* param)
{
    const std::vector<TModelForm*> snapshot = FormList();
    for (TModelForm* form : snapshot)
        if (IsRegistered(form))
            form->ModelMessage(msg, param);
}

bool QueryForms(unsigned msg, void* param)
{
    const std::vector<TModelForm*> snapshot = FormList();
    for (TModelForm* form : snapshot)
        if (IsRegistered(form) && form->ModelMessage(msg, param) != 0)
            return true;
    return false;
}
