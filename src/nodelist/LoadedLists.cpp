#include "nodelist/LoadedLists.h"

namespace {

ListReport ReadOneList(const std::string& name, int today, NodelistIndex& index)
{
    ListReport report;
    report.Name = name;
    report.Path = ResolveListFile(name, today);
    if (report.Path.empty()) {
        report.Error = name + ": нет такого файла";
        return report;
    }
    std::string bytes;
    report.Error = ReadListFile(report.Path, bytes);
    if (!report.Error.empty())
        return report;
    std::string text = DecodeListText(bytes);
    bytes = std::string();
    ParseListText(
        text, [&](const ParsedEntry& entry) { index.Add(entry); }, report);
    return report;
}

template <class Visit> void ForEachList(const ListSettings& lists, Visit visit)
{
    for (const std::string& name : lists.Nodelists)
        visit(name);
    for (const std::string& name : lists.Pointlists)
        visit(name);
}

}  // namespace

ListStamps StampLists(const ListSettings& lists, int today)
{
    ListStamps stamps;
    ForEachList(lists, [&](const std::string& name) {
        std::string path = ResolveListFile(name, today);
        stamps.emplace_back(path, StampOf(path));
    });
    return stamps;
}

std::string LoadedLists::Failures() const
{
    std::string text;
    for (const ListReport& report : Reports)
        if (!report.Error.empty())
            text += report.Error + "\n";
    return text;
}

std::shared_ptr<const LoadedLists> LoadLists(const ListSettings& lists, int today)
{
    auto loaded = std::make_shared<LoadedLists>();
    loaded->Stamps = StampLists(lists, today);
    ForEachList(lists,
                [&](const std::string& name) { loaded->Reports.push_back(ReadOneList(name, today, loaded->Index)); });
    loaded->Index.Finish();
    return loaded;
}

ListLoader::~ListLoader()
{
    std::unique_lock guard(Lock);
    Stopping = true;  // a build in progress is not published
    Idle.wait(guard, [this] { return !Running; });
    guard.unlock();
    if (Worker.joinable())
        Worker.join();
}

void ListLoader::Configure(const ListSettings& lists)
{
    std::lock_guard guard(Lock);
    if (lists == Lists && Generation > 0)
        return;
    Lists = lists;
    StartLocked();
}

void ListLoader::CheckForChanges()
{
    ListSettings lists;
    ListStamps stamps;
    {
        std::lock_guard guard(Lock);
        if (Running || Generation == 0)
            return;
        lists = Lists;
        stamps = Loaded->Stamps;
    }
    if (StampLists(lists, TodayDayOfYear()) == stamps)
        return;
    std::lock_guard guard(Lock);
    if (!Running && lists == Lists)
        StartLocked();
}

void ListLoader::StartLocked()
{
    ++Generation;
    if (Running)
        return;  // the running build sees the new generation and loads again
    Running = true;
    if (Worker.joinable())
        Worker.join();
    Worker = std::thread([this] { Run(); });
}

void ListLoader::Run()
{
    for (;;) {
        ListSettings lists;
        uint64_t generation;
        {
            std::lock_guard guard(Lock);
            lists = Lists;
            generation = Generation;
        }
        auto loaded = LoadLists(lists, TodayDayOfYear());
        std::function<void()> notify;
        {
            std::lock_guard guard(Lock);
            if (Stopping) {
                Running = false;
                Idle.notify_all();
                return;
            }
            if (generation != Generation)
                continue;
            Loaded = std::move(loaded);
            notify = OnLoaded;
        }
        if (notify)
            notify();
        std::lock_guard guard(Lock);
        if (generation == Generation) {
            Running = false;
            Idle.notify_all();
            return;
        }
    }
}

std::shared_ptr<const LoadedLists> ListLoader::Current() const
{
    std::lock_guard guard(Lock);
    return Loaded;
}

bool ListLoader::Configured() const
{
    std::lock_guard guard(Lock);
    return !Lists.Empty();
}

void ListLoader::WaitIdle()
{
    std::unique_lock guard(Lock);
    Idle.wait(guard, [this] { return !Running; });
}

void ListLoader::SetOnLoaded(std::function<void()> onLoaded)
{
    std::lock_guard guard(Lock);
    OnLoaded = std::move(onLoaded);
}
