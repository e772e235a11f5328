#include "model/ModelEvents.h"

#include <algorithm>

namespace {

std::vector<ModelObserver*>& FormList()
{
    static std::vector<ModelObserver*> forms;
    return forms;
}

}  // namespace

bool IsRegisteredForm(const ModelObserver* form)
{
    const auto& forms = FormList();
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

void RegisterForm(ModelObserver* form)
{
    if (!IsRegisteredForm(form))
        FormList().push_back(form);
}

void UnregisterForm(ModelObserver* form)
{
    std::erase(FormList(), form);
}

void ActivateForm(ModelObserver* form)
{
    UnregisterForm(form);
    auto& forms = FormList();
    forms.insert(forms.begin(), form);
}

const std::vector<ModelObserver*>& Forms()
{
    return FormList();
}
