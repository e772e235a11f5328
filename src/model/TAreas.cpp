#include "model/TAreas.h"

#include <algorithm>
#include <climits>

#include "core/AreasFile.h"
#include "model/ModelEvents.h"
#include "model/Session.h"
#include "core/StringHelpers.h"
#include "core/Utf8Text.h"
#include "model/ModelEvents.h"

TAreas::~TAreas()
{
    FreeAreas();
}

void TAreas::FreeAreas()
{
    Shown.clear();
    Current = nullptr;
    All.FreeItems();
}

int TAreas::Compare(const TArea& a, const TArea& b)
{
    if (a.Loaded != b.Loaded)
        return a.Loaded ? -1 : 1;
    auto rank = [](const TArea& area) { return area.UnreadCount == 0 ? INT32_MAX : area.UnreadCount; };
    int32_t ra = rank(a), rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    return Utf8CompareStr(a.Tag, b.Tag);
}

void TAreas::Sort()
{
    std::stable_sort(Shown.begin(), Shown.end(), [](const TArea* a, const TArea* b) { return Compare(*a, *b) < 0; });
}

std::ptrdiff_t TAreas::IndexOf(const TArea* area) const
{
    auto it = std::find(Shown.begin(), Shown.end(), area);
    return it == Shown.end() ? -1 : it - Shown.begin();
}

void TAreas::Scan()
{
    if (Scanned || Scanning)
        return;
    Scanning = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } reset{Scanning};

    Reload();
    NotifyForms(&ModelObserver::ScanStarted);
    try {
        ScanAll();
    } catch (...) {
        NotifyForms(&ModelObserver::ScanFinished);
        throw;
    }
    NotifyForms(&ModelObserver::ScanFinished);
    Scanned = true;
}

void TAreas::Reload()
{
    std::string currentTag = Current ? Current->Tag : std::string();
    // An area the merge destroys must not stay behind as the current one;
    // the windows are told of the change all the same.
    bool currentDropped = false;
    TArea* newCurrent = nullptr;
    auto announce = [&](TArea* area) {
        if (currentDropped && Current == nullptr)
            NotifyForms(&ModelObserver::CurrentAreaChanged);
        else
            SetCurrent(nullptr);
        SetCurrent(area);
    };
    try {
        Shown.clear();
        std::unique_ptr<TAreasFromCFG> freshList = ReadAreasFile();
        TAreasFromCFG& fresh = *freshList;
        std::size_t i = 0, j = 0;
        for (;;) {
            TArea* old = All.At(i);
            TAreaBase* item = fresh.At(j);
            if (!old && !item)
                break;
            int order = TAreasFromCFG::Compare(old, item);
            if (order < 0) {
                // Gone from the file: out of the list, then freed (it tells the windows).
                std::unique_ptr<TArea> gone = All.Take(i);
                if (old == Current) {
                    Current = nullptr;
                    currentDropped = true;
                }
            } else if (order == 0) {
                old->Assign(*item);
                old->Loaded = false;
                ++i;
                ++j;
            } else {
                All.Insert(i, std::make_unique<TArea>(Owner, item->Tag, item->Description, item->BaseSpec));
                ++i;
                ++j;
            }
        }
        Shown.assign(All.begin(), All.end());
        NotifyForms(&ModelObserver::AreasChanged);
        for (TArea* area : *this) {
            if (area->Tag == currentTag) {
                newCurrent = area;
                break;
            }
        }
        if (!newCurrent)
            newCurrent = At(0);
    } catch (...) {
        announce(nullptr);
        throw;
    }
    announce(newCurrent);
}

std::unique_ptr<TAreasFromCFG> TAreas::ReadAreasFile()
{
    return std::make_unique<TAreasFromCFG>(Owner.Start().AreasFileName, Owner.Start().HudsonPath);
}

void TAreas::ScanAll()
{
    std::size_t count = Count();
    for (std::size_t k = 0; k < count; ++k) {
        if (Owner.StopRequestedNow())
            break;
        TArea* area = At(k);
        if (!area)
            break;
        try {
            area->Load();
        } catch (...) {
            // One area's trouble does not end the scan.
        }
        NotifyForms(&ModelObserver::AreaScanned, *area);
    }
    Resort();
    SetCurrent(At(0));
}

void TAreas::SetCurrent(TArea* area)
{
    if (area == Current)
        return;
    Current = area;
    NotifyForms(&ModelObserver::CurrentAreaChanged);
}

void TAreas::Resort()
{
    Sort();
    NotifyForms(&ModelObserver::CurrentAreaChanged);
    NotifyForms(&ModelObserver::AreasChanged);
}

std::string TAreas::CountText() const
{
    return Format("Областей: %d", static_cast<int>(Count()));
}

int32_t TAreas::TotalUnread() const
{
    int32_t total = 0;
    for (TArea* area : *this)
        total += area->UnreadCount;
    return total;
}
