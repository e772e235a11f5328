#include "support/EventRecorder.h"

#include <algorithm>

EventRecorder::EventRecorder()
{
    RegisterForm(this);
}

EventRecorder::~EventRecorder()
{
    UnregisterForm(this);
}

void EventRecorder::Record(const char* name, TArea* area)
{
    Events.push_back({name, area});
    if (OnEvent)
        OnEvent(name, area);
}

std::vector<std::string> EventRecorder::Names() const
{
    std::vector<std::string> names;
    for (const Event& event : Events)
        names.push_back(event.Name);
    return names;
}

std::vector<std::string> EventRecorder::NamesFor(const TArea* area) const
{
    std::vector<std::string> names;
    for (const Event& event : Events) {
        if (event.Area != area)
            continue;
        names.push_back(event.Name);
        if (event.Name == "AreaDestroyed")
            break;
    }
    return names;
}

int EventRecorder::Count(const std::string& name) const
{
    return static_cast<int>(
        std::count_if(Events.begin(), Events.end(), [&](const Event& event) { return event.Name == name; }));
}
