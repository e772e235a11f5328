#include "ui/EditorEntry.h"

namespace {

EditorWindowFactory& Factory()
{
    static EditorWindowFactory factory;
    return factory;
}

}  // namespace

void SetEditorWindowFactory(EditorWindowFactory factory)
{
    Factory() = std::move(factory);
}

const EditorWindowFactory& CurrentEditorWindowFactory()
{
    return Factory();
}

FormWindow* OpenEditor(TArea* area, int mode)
{
    return Factory() ? Factory()(area, mode) : nullptr;
}
