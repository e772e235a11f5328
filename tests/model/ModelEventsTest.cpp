#include <gtest/gtest.h>

#include <vector>

#include "model/ModelEvents.h"
#include "model/Session.h"
#include "model/TArea.h"

namespace {

// Logs which form was told, answers the close question as set, and may
// unregister another form when told.
struct LoggingForm : ModelObserver {
    std::vector<const LoggingForm*>* Log;
    bool KeepsArea = false;
    ModelObserver* ToUnregister = nullptr;
    explicit LoggingForm(std::vector<const LoggingForm*>* log) : Log(log) { RegisterForm(this); }
    ~LoggingForm() override { UnregisterForm(this); }
    void Told()
    {
        Log->push_back(this);
        if (ToUnregister)
            UnregisterForm(ToUnregister);
    }
    void AreasChanged() override { Told(); }
    void CountsChanged(TArea&) override { Told(); }
    bool QueryCloseArea(TArea&) override
    {
        Told();
        return KeepsArea;
    }
};

}  // namespace

TEST(ModelEvents, ReachEveryFormInOrderAndActivationMovesToFront)
{
    std::vector<const LoggingForm*> log;
    LoggingForm a(&log), b(&log), c(&log);
    NotifyForms(&ModelObserver::AreasChanged);
    EXPECT_EQ(log, (std::vector<const LoggingForm*>{&a, &b, &c}));

    log.clear();
    ActivateForm(&c);
    Session session;
    TArea area(session, "TAG", "D", "Mevents");
    NotifyForms(&ModelObserver::CountsChanged, area);
    EXPECT_EQ(log, (std::vector<const LoggingForm*>{&c, &a, &b}));
}

TEST(ModelEvents, CloseQuestionStopsAtTheFirstFormThatKeepsTheArea)
{
    std::vector<const LoggingForm*> log;
    LoggingForm a(&log), b(&log), c(&log);
    Session session;
    TArea area(session, "TAG", "D", "Mevents");
    EXPECT_FALSE(QueryForms(&ModelObserver::QueryCloseArea, area));
    EXPECT_EQ(log.size(), 3u);
    log.clear();
    b.KeepsArea = true;
    c.KeepsArea = true;
    EXPECT_TRUE(QueryForms(&ModelObserver::QueryCloseArea, area));
    EXPECT_EQ(log, (std::vector<const LoggingForm*>{&a, &b})) << "c is never asked";
}

TEST(ModelEvents, FormUnregisteredDuringAnEventIsNotTold)
{
    std::vector<const LoggingForm*> log;
    LoggingForm a(&log), b(&log);
    a.ToUnregister = &b;
    NotifyForms(&ModelObserver::AreasChanged);
    EXPECT_EQ(log, std::vector<const LoggingForm*>{&a});
}
