// Reading the nodelists: a generated nodelist of 40,000 nodes and a
// pointlist of 20,000 points (about 4 MB), loaded and indexed in a fresh
// process (goal: under 0.5 s), the index's memory (under 200 bytes an
// entry), and lookups by name and by address prefix in the loaded index
// (under 5 ms, the median of 1,000). The same load from ZIP copies of both
// lists: within 1.5 times the plain files' time, taken round by round.
//   NodelistBench [--quick] [--runs N]
#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "nodelist/LoadedLists.h"
#include "support/BenchData.h"
#include "support/BenchOptions.h"
#include "support/ChildProcess.h"
#include "support/MemoryUse.h"
#include "support/Targets.h"

namespace {

constexpr long Nodes = 40000;
constexpr long Points = 20000;
constexpr long NodesPerNet = 100;
constexpr long PointsPerBoss = 10;
constexpr double LoadGoalSeconds = 0.5;
constexpr double PackedGoalRatio = 1.5;
constexpr double BytesPerEntryGoal = 200;
constexpr double LookupGoalSeconds = 0.005;
constexpr int Lookups = 1000;

const char* const FirstNames[] = {"Sergey", "Alexey",  "Ivan",  "Dmitry", "Andrey", "Mikhail", "Vladimir",
                                  "Yuri",   "Nikolay", "Oleg",  "Pavel",  "Igor",   "Viktor",  "Konstantin",
                                  "Evgeny", "Roman",   "Anton", "Maxim",  "Boris",  "Gennady"};
const char* const LastNames[] = {"Volkov",     "Petrov",   "Ivanov",   "Smirnov", "Kuznetsov",   "Popov",   "Sokolov",
                                 "Lebedev",    "Kozlov",   "Novikov",  "Morozov", "Pavlov",      "Semenov", "Golubev",
                                 "Vinogradov", "Bogdanov", "Vorobiev", "Fedorov", "Mikhailov",   "Belyaev", "Tarasov",
                                 "Belov",      "Komarov",  "Orlov",    "Kiselev", "Makarov",     "Andreev", "Kovalev",
                                 "Ilyin",      "Gusev",    "Titov",    "Kuzmin",  "Kudryavtsev", "Baranov"};
const char* const Cities[] = {"Moscow",   "Saint_Petersburg", "Novosibirsk", "Yekaterinburg", "Kazan", "Samara",
                              "Omsk",     "Rostov-on-Don",    "Ufa",         "Krasnoyarsk",   "Perm",  "Voronezh",
                              "Volgograd"};

template <class T, std::size_t N> const char* Pick(T (&list)[N], long i)
{
    return list[static_cast<std::size_t>(i) % N];
}

std::string Sysop(long i)
{
    return std::string(Pick(FirstNames, i * 7 + i / 13)) + "_" + Pick(LastNames, i);
}

std::string MakeNodelist(long nodes)
{
    std::string text = ";A Generated nodelist for the benchmark\r\n;\r\n";
    text += "Zone,2,Europe_Zone,Amsterdam,Zone_Coordinator,-Unpublished-,300,CM,INA:z2.example.org\r\n";
    for (long n = 0; n < nodes; ++n) {
        long net = 5000 + n / NodesPerNet, node = n % NodesPerNet;
        if (node == 0) {
            text += "Host," + std::to_string(net) + ",Net_" + std::to_string(net) + "_Host," + Pick(Cities, net) +
                "_Russia," + Sysop(n + 5) + ",7-495-555-" + std::to_string(1000 + net % 9000) +
                ",33600,CM,XA,V34,IBN,INA:host.example.org\r\n";
            continue;
        }
        const char* keyword = node % 50 == 1 ? "Hub" : node % 97 == 0 ? "Down" : node % 31 == 0 ? "Pvt" : "";
        text += std::string(keyword) + "," + std::to_string(node) + ",Station_" + std::to_string(n) + "," +
            Pick(Cities, n) + "," + Sysop(n) + ",7-495-" + std::to_string(1000000 + n) + ",33600,CM,XA\r\n";
    }
    return text + "\x1A";
}

std::string MakePointlist(long points)
{
    std::string text = ";A Generated pointlist\r\n";
    for (long p = 0; p < points; ++p) {
        long boss = p / PointsPerBoss;
        if (p % PointsPerBoss == 0)
            text += "Boss,2:" + std::to_string(5000 + boss / (NodesPerNet - 1)) + "/" +
                std::to_string(1 + boss % (NodesPerNet - 1)) + "\r\n";
        text += "Point," + std::to_string(1 + p % PointsPerBoss) + ",Point_" + std::to_string(p) + "," +
            Pick(Cities, p) + "," + Sysop(p * 3 + 1) + ",-Unpublished-,300,MO\r\n";
    }
    return text;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteZip(const std::string& path, const std::string& inner, const std::string& bytes)
{
    archive* zip = archive_write_new();
    archive_write_set_format_zip(zip);
    archive_write_open_filename(zip, path.c_str());
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, inner.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_write_header(zip, entry);
    archive_write_data(zip, bytes.data(), bytes.size());
    archive_entry_free(entry);
    archive_write_close(zip);
    archive_write_free(zip);
}

// The child: loads the two lists and prints how long it took and the index's size.
int LoadInChild(const std::vector<std::string>& files)
{
    ListSettings lists{{files.at(0)}, {files.at(1)}};
    long before = ResidentBytes();
    std::shared_ptr<const LoadedLists> loaded;
    double seconds = Seconds([&] { loaded = LoadLists(lists, 340); });
    std::printf("seconds\t%.6f\nentries\t%zu\nbytes\t%zu\nresident\t%ld\nfailures\t%zu\n", seconds,
                loaded->Index.Size(), loaded->Index.MemoryBytes(), ResidentBytes() - before, loaded->Failures().size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const BenchOptions options = ParseBenchOptions(argc, argv, "");
    if (options.IsChild)
        return LoadInChild(options.Child);
    const long nodes = options.Size(Nodes), points = options.Size(Points);
    const std::string dir = CachedData(options.Quick ? "nodelist-quick" : "nodelist", [&](const std::string& at) {
        std::string nodelist = MakeNodelist(nodes), pointlist = MakePointlist(points);
        WriteFile(at + "/NODELIST.340", nodelist);
        WriteFile(at + "/PNTLIST.340", pointlist);
        WriteZip(at + "/NODELIST.Z40", "NODELIST.340", nodelist);
        WriteZip(at + "/PNTLIST.Z40", "PNTLIST.340", pointlist);
    });
    const std::string size = std::to_string(nodes) + " nodes + " + std::to_string(points) + " points";

    Samples plain, packed, ratio, perEntry, perEntryPacked;
    for (int run = 0; run < options.Runs && plain.Sum() < options.Budget(); ++run) {
        ChildResult a = RunSelf({dir + "/NODELIST.340", dir + "/PNTLIST.340"});
        ChildResult b = RunSelf({dir + "/NODELIST.Z40", dir + "/PNTLIST.Z40"});
        if (a.ExitCode != 0 || b.ExitCode != 0 || FieldOf(a.Out, "failures") != 0 || FieldOf(b.Out, "failures") != 0) {
            ReportError("loading " + size, a.Err + b.Err);
            return BenchExitCode();
        }
        plain.Add(FieldOf(a.Out, "seconds"));
        packed.Add(FieldOf(b.Out, "seconds"));
        ratio.Add(FieldOf(b.Out, "seconds") / FieldOf(a.Out, "seconds"));
        perEntry.Add(FieldOf(a.Out, "bytes") / FieldOf(a.Out, "entries"));
        perEntryPacked.Add(FieldOf(b.Out, "bytes") / FieldOf(b.Out, "entries"));
        if (run == 0)
            std::printf("entries %.0f, resident growth %.0f bytes an entry\n", FieldOf(a.Out, "entries"),
                        FieldOf(a.Out, "resident") / FieldOf(a.Out, "entries"));
    }
    Report({"loading " + size + " (fresh process)", "s", Goal::AtMost, options.Limit(LoadGoalSeconds)}, plain,
           CutShortNote(plain, options.Runs));
    Report({"loading the ZIP copies / the plain files", "x", Goal::AtMost, PackedGoalRatio}, ratio);
    Report(
        {"loading the ZIP copies (fresh process)", "s", Goal::AtMost, options.Limit(LoadGoalSeconds) * PackedGoalRatio},
        packed);
    Report({"index memory", "bytes/entry", Goal::AtMost, BytesPerEntryGoal}, perEntry);
    Report({"index memory, ZIP copies", "bytes/entry", Goal::AtMost, BytesPerEntryGoal}, perEntryPacked);

    auto loaded = LoadLists({{dir + "/NODELIST.340"}, {dir + "/PNTLIST.340"}}, 340);
    const struct {
        const char* Name;
        std::vector<std::string> Queries;
    } kinds[] = {
        {"name lookup", {"Serg Vol", "Сергей Вол", "ivanov", "Дмитрий", "Alex Kuz", "Evg", "Station_12", "Орлов Юр"}},
        {"address-prefix lookup", {"2:5020/1", "5020/12", "2:5123/", "2:53", "5001/7", "2:5150/3.1"}},
    };
    for (const auto& kind : kinds) {
        Samples each;
        std::size_t found = 0;
        for (int i = 0; i < Lookups; ++i) {
            const std::string& query = kind.Queries[static_cast<std::size_t>(i) % kind.Queries.size()];
            each.Add(Seconds([&] { found += loaded->Index.Lookup(query).size(); }));
        }
        Report({std::string(kind.Name) + " (median of " + std::to_string(Lookups) + ")", "s", Goal::AtMost,
                LookupGoalSeconds},
               each, std::to_string(found / Lookups) + " found a lookup on average");
    }
    return BenchExitCode();
}
