// An observer of the model that registers itself for its lifetime and
// records every event by its name ("LettersLoading") with the area it
// concerns (nullptr for the events about the whole list).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/ModelEvents.h"

class EventRecorder : public ModelObserver {
public:
    EventRecorder();
    ~EventRecorder() override;

    struct Event {
        std::string Name;
        TArea* Area;
    };
    std::vector<Event> Events;
    // Called for every event after recording (may be empty).
    std::function<void(const std::string& name, TArea* area)> OnEvent;

    std::vector<std::string> Names() const;
    // Only those about area, up to its AreaDestroyed (an area made later
    // may take the same address).
    std::vector<std::string> NamesFor(const TArea* area) const;
    int Count(const std::string& name) const;

    void AreasChanged() override { Record("AreasChanged", nullptr); }
    void ScanStarted() override { Record("ScanStarted", nullptr); }
    void AreaScanned(TArea& area) override { Record("AreaScanned", &area); }
    void ScanFinished() override { Record("ScanFinished", nullptr); }
    void LettersLoading(TArea& area) override { Record("LettersLoading", &area); }
    void LettersChanged(TArea& area) override { Record("LettersChanged", &area); }
    void CurrentAreaChanged() override { Record("CurrentAreaChanged", nullptr); }
    void CurrentLetterChanged(TArea& area) override { Record("CurrentLetterChanged", &area); }
    void AreaOpened(TArea& area) override { Record("AreaOpened", &area); }
    void AreaClosed(TArea& area) override { Record("AreaClosed", &area); }
    void AreaDestroyed(TArea& area) override { Record("AreaDestroyed", &area); }
    void CountsChanged(TArea& area) override { Record("CountsChanged", &area); }
    bool QueryCloseArea(TArea& area) override
    {
        Record("QueryCloseArea", &area);
        return false;
    }

private:
    void Record(const char* name, TArea* area);
};
