#include "model/Session.h"

#include <utility>

Session::Session() : Session(UserSettings{})
{
}

Session::Session(UserSettings settings, StartParameters start) : Settings(std::move(settings)), Areas(*this)
{
    SetStart(std::move(start));
}

Session::~Session()
{
    Areas.FreeAreas();
}

void Session::SetStart(StartParameters start)
{
    Parameters = std::move(start);
    Tosser.SetPath(Parameters.TossingFlagFile);
}
