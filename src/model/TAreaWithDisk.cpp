#include "model/TAreaWithDisk.h"

#include "core/CodePage.h"
#include "core/FormRegistry.h"
#include "core/ModelMessages.h"
#include "core/StringHelpers.h"
#include "msgbase/MsgBaseFactory.h"

ECantOpenArea::ECantOpenArea(const std::string& tag, const std::string& baseSpec)
    : EQuorvel(Format(Utf8ToAnsi("Не смог открыть/создать область \"%s\" (%s)").c_str(), tag.c_str(),
                      baseSpec.c_str()))
{
}

ECantCloseArea::ECantCloseArea(const std::string& tag)
    : EQuorvel(Format(Utf8ToAnsi("Не смог закрыть область \"%s\"").c_str(), tag.c_str()))
{
}

bool OpenArea(std::unique_ptr<MsgBase>& base, const std::string& spec)
{
    base = CreateBaseFor(spec);
    if (!base)
        return false;
    bool failed = false;
    if (!base->BaseExists() && base->CreateBase(0, 0) == 0xFFFF)
        failed = true;
    if (base->OpenBase() != 0) {
        base.reset();
        return false;
    }
    if (failed) {
        // Creating failed although opening worked: the open object is not
        // left behind.
        base->CloseBase();
        base.reset();
        return false;
    }
    return true;
}

bool CloseArea(std::unique_ptr<MsgBase>& base)
{
    if (!base)
        return false;
    Status status = base->CloseBase();
    base.reset();
    return status == 0;
}

TAreaWithDisk::TAreaWithDisk(const std::string& tag, const std::string& description, const std::string& baseSpec)
    : TAreaBase(tag, description, baseSpec)
{
}

TAreaWithDisk::~TAreaWithDisk()
{
    // An area destroyed while open (a reload dropped it, or the program ends)
    // still closes its files.
    if (Base)
        Base->CloseBase();
    for (auto& replaced : Replaced)
        replaced->CloseBase();
}

void TAreaWithDisk::Open()
{
    std::unique_ptr<MsgBase> fresh;
    if (!OpenArea(fresh, BaseSpec))
        throw ECantOpenArea(Tag, BaseSpec);
    if (Base)
        Replaced.push_back(std::move(Base));
    Base = std::move(fresh);
    ++OpenCount;
    NotifyForms(WM_AREAOPENED, this);
}

void TAreaWithDisk::Close()
{
    if (OpenCount > 0 && --OpenCount > 0)
        return;
    // The count is at zero: the last close, or a close with nothing open
    // (which finds no base object and fails).
    for (auto& replaced : Replaced)
        replaced->CloseBase();
    Replaced.clear();
    bool closed = CloseArea(Base);
    if (!closed)
        throw ECantCloseArea(Tag);
    NotifyForms(WM_AREACLOSED, this);
}
