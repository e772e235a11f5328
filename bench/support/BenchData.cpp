#include "support/BenchData.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/BenchOptions.h"
#include "support/Timing.h"

namespace fs = std::filesystem;

namespace {

// Part of every cached directory's name: raise it when a generator starts
// writing different bases, so that old ones are not measured by mistake.
constexpr int GeneratorVersion = 1;

}  // namespace

std::string CachedData(const std::string& name, const std::function<void(const std::string& dir)>& generate)
{
    const fs::path dir = fs::path(BenchDataDir()) / (name + "-v" + std::to_string(GeneratorVersion));
    const fs::path mark = dir.string() + ".complete";
    if (fs::exists(mark))
        return dir.string();
    fs::remove_all(dir);
    fs::create_directories(dir);
    const double seconds = Seconds([&] { generate(dir.string()); });
    std::ofstream(mark) << "generated\n";
    std::printf("  generated %s: %.0f MB in %.1f s\n", name.c_str(), double(BytesUnder(dir.string())) / 1e6, seconds);
    std::fflush(stdout);
    return dir.string();
}

void MirrorDirectory(const std::string& original, const std::string& copy)
{
    const fs::path from(original), to(copy);
    fs::create_directories(to);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory()) {
            fs::create_directories(target);
            continue;
        }
        if (!entry.is_regular_file())
            continue;
        std::error_code ec;
        const auto size = fs::file_size(target, ec);
        if (!ec && size == entry.file_size() && fs::last_write_time(target, ec) == entry.last_write_time() && !ec)
            continue;
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
        fs::last_write_time(target, entry.last_write_time());
    }
    // What the benchmark added goes (collected first: removing while
    // iterating is not allowed).
    std::vector<fs::path> extra;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(to))
        if (!fs::exists(from / fs::relative(entry.path(), to)))
            extra.push_back(entry.path());
    for (const fs::path& path : extra)
        fs::remove_all(path);
}

unsigned long long BytesUnder(const std::string& dir)
{
    unsigned long long bytes = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            bytes += entry.file_size();
    return bytes;
}
