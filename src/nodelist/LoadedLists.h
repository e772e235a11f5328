// The configured lists read into one index, and the background loader that
// keeps that index current: it builds at start and again when a file
// changes (size or time, or a newer day-numbered copy appears), while the
// index already built stays in use until the new one is ready.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "nodelist/ListFiles.h"
#include "nodelist/ListParser.h"
#include "nodelist/ListSettings.h"
#include "nodelist/NodelistIndex.h"

// The files a build read, to see later that one of them changed.
using ListStamps = std::vector<std::pair<std::string, FileStamp>>;
ListStamps StampLists(const ListSettings& lists, int today);

struct LoadedLists {
    NodelistIndex Index;
    std::vector<ListReport> Reports;  // the nodelists, then the pointlists
    ListStamps Stamps;

    // The lists that could not be read, by name, one a line; "" when none.
    std::string Failures() const;
};

// Reads every configured list into one index; a list that cannot be read is
// reported and the others are still used.
std::shared_ptr<const LoadedLists> LoadLists(const ListSettings& lists, int today);

class ListLoader {
public:
    ListLoader() = default;
    ~ListLoader();
    ListLoader(const ListLoader&) = delete;
    ListLoader& operator=(const ListLoader&) = delete;

    // The lists to use; a new set is loaded in the background.
    void Configure(const ListSettings& lists);
    // Loads again in the background when a file read last time changed or
    // another copy is now the newest. Cheap: a few stats and directory reads.
    void CheckForChanges();
    // The index last built (an empty one before the first build ends).
    std::shared_ptr<const LoadedLists> Current() const;
    bool Configured() const;
    // Waits for the build in progress, if any (tests, the tool).
    void WaitIdle();
    // Called on the loader's thread after each build.
    void SetOnLoaded(std::function<void()> onLoaded);

private:
    void StartLocked();
    void Run();

    mutable std::mutex Lock;
    std::condition_variable Idle;
    ListSettings Lists;
    uint64_t Generation = 0;
    bool Running = false;
    bool Stopping = false;
    std::shared_ptr<const LoadedLists> Loaded = std::make_shared<LoadedLists>();
    std::function<void()> OnLoaded;
    std::thread Worker;
};
