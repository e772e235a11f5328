#include "model/TAreaWithDisk.h"

#include <cctype>

#include "core/StringHelpers.h"
#include "model/ModelEvents.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "msgbase/MsgBaseFactory.h"

ECantOpenArea::ECantOpenArea(const std::string& tag, const std::string& baseSpec)
    : EQuorvel(Format("Не смог открыть/создать область \"%s\" (%s)", tag.c_str(),
                      baseSpec.c_str()))
{
}

ECantCloseArea::ECantCloseArea(const std::string& tag)
    : EQuorvel(Format("Не смог закрыть область \"%s\"", tag.c_str()))
{
}

std::string BaseSpecProblem(const std::string& spec)
{
    if (spec.find('\0') != std::string::npos)
        return "в пути базы есть символ NUL";
    const char format = spec.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(spec[0])));
    if (format == 'H' && spec.size() <= 4)
        return "не задан каталог Hudson";
    // Without a path the files would land in the current directory.
    if ((format == 'J' || format == 'S' || format == 'F') && spec.size() == 1)
        return "не задан путь базы";
    return {};
}

bool OpenArea(Session& session, std::unique_ptr<MsgBase>& base, const std::string& spec, std::string* problem)
{
    auto fail = [&](const std::string& why) {
        base.reset();
        if (problem)
            *problem = why;
        return false;
    };
    base.reset();
    if (std::string why = BaseSpecProblem(spec); !why.empty())
        return fail(why);
    base = CreateBaseFor(spec);
    if (!base)
        return fail("неизвестный тип базы");
    base->SetReadingRules(session.Settings.Reading());
    bool createFailed = false;
    if (!base->BaseExists()) {
        // A base is only made while nothing else works on the bases.
        if (session.Tosser.Running())
            return fail("базы нет, а пока работает эхопроцессор, она не создаётся");
        createFailed = base->CreateBase(0, 0) == 0xFFFF;
    }
    if (Status status = base->OpenBase(); status != 0)
        return fail(Format("база не открывается (ошибка %u)", unsigned(status)));
    if (createFailed) {
        // Creating failed although opening worked: the open object is not
        // left behind.
        base->CloseBase();
        return fail("база не создаётся");
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

TAreaWithDisk::TAreaWithDisk(Session& owner, const std::string& tag, const std::string& description,
                             const std::string& baseSpec)
    : TAreaBase(tag, description, baseSpec), Owner(owner)
{
}

TArea& TAreaWithDisk::AsArea()
{
    return static_cast<TArea&>(*this);
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
    std::string problem;
    if (!OpenArea(Owner, fresh, BaseSpec, &problem)) {
        OpenProblem = problem;
        throw ECantOpenArea(Tag, BaseSpec);
    }
    OpenProblem.clear();
    if (Base)
        Replaced.push_back(std::move(Base));
    Base = std::move(fresh);
    ReleaseReplaced();
    ++OpenCount;
    NotifyForms(&ModelObserver::AreaOpened, AsArea());
}

void TAreaWithDisk::ReleaseReplaced()
{
    std::erase_if(Replaced, [this](std::unique_ptr<MsgBase>& replaced) {
        if (replaced.get() == Walking)
            return false;
        replaced->CloseBase();
        return true;
    });
}

void TAreaWithDisk::Close()
{
    if (OpenCount > 0 && --OpenCount > 0) {
        ReleaseReplaced();
        return;
    }
    // The count is at zero: the last close, or a close with nothing open
    // (which finds no base object and fails).
    for (auto& replaced : Replaced)
        replaced->CloseBase();
    Replaced.clear();
    bool closed = CloseArea(Base);
    if (!closed)
        throw ECantCloseArea(Tag);
    NotifyForms(&ModelObserver::AreaClosed, AsArea());
}
