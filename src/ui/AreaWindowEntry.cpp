#include "ui/AreaWindowEntry.h"

#include "ui/FormWindow.h"

namespace {

AreaWindowFactory& Factory()
{
    static AreaWindowFactory factory;
    return factory;
}

}  // namespace

void SetAreaWindowFactory(AreaWindowFactory factory)
{
    Factory() = std::move(factory);
}

const AreaWindowFactory& CurrentAreaWindowFactory()
{
    return Factory();
}

FormWindow* FindAreaWindow(const TArea* area)
{
    if (!area)
        return nullptr;
    for (FormWindow* form : FormWindow::AllForms())
        if (form->BrowsedArea() == area)
            return form;
    return nullptr;
}
