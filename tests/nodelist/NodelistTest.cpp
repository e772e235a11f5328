// Reading nodelists and pointlists, finding stations in them, the files
// behind a list's name, the background loader and the address book.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "nodelist/AddressBook.h"
#include "nodelist/LoadedLists.h"
#include "support/TestSupport.h"

namespace {

const char* const Nodelist = ";A FidoNet Nodelist for Friday, December 4, 2026 -- Day number 338\r\n"
                             "Zone,2,Europe,Amsterdam,Zone_Coord,-Unpublished-,300,CM\r\n"
                             "Region,50,Russia,Moscow,Region_Coord,7-495-1,9600,CM\r\n"
                             "Host,5020,Moscow_Net,Moscow,Host_Sysop,7-495-2,9600,CM,XA\r\n"
                             "Hub,100,Hub_100,Moscow,Hub_Sysop,7-495-3,9600,CM\r\n"
                             ",275,Station,Moscow,Sergey_Volkov,7-495-4,33600,CM,XA,IBN\r\n"
                             "Pvt,12,Hidden,Tver,Ivan_Petrov,-Unpublished-,300,MO\r\n"
                             "Down,9,Broken,Moscow,Yuri_Orlov,7-495-5,300\r\n"
                             "Gate,7,Bad_Keyword,Nowhere,Nobody,-,300\r\n"
                             ",x1,Bad_Number,Nowhere,Nobody,-,300\r\n"
                             ",13,Too_Short\r\n"
                             "Host,5030,Other_Net,Tula,Alexey_Kuznetsov,7-4872-1,300,CM\r\n"
                             ",1,Tula_Station,Tula,Sergei_Kuzmin,7-4872-2,300\r\n"
                             "\x1A";

// Both forms of pointlist: points under a Boss line, and full addresses.
const char* const Pointlist = ";Points of 2:5020/275\r\n"
                              "Boss,2:5020/275\r\n"
                              ",1,Home,Moscow,Maria_Volkova,-Unpublished-,300\r\n"
                              "Point,2,Work,Moscow,Ivan_Sidorov,-Unpublished-,300\r\n"
                              "Point,x,Bad,Moscow,Nobody,-,300\r\n"
                              ",2:5030/1.7,Laptop,Tula,Oleg_Belov,-Unpublished-,300\r\n";

std::string Addresses(const std::vector<NodeEntry>& entries)
{
    std::string text;
    for (const NodeEntry& entry : entries)
        text += (text.empty() ? "" : " ") + AddressToText(entry.Address);
    return text;
}

struct Lists {
    TempDir Dir;
    std::shared_ptr<const LoadedLists> Loaded;
    Lists()
    {
        WriteFileBytes(Dir / "NODELIST.338", Nodelist);
        WriteFileBytes(Dir / "points.txt", Pointlist);
        Loaded = LoadLists({{Dir / "NODELIST"}, {Dir / "points.txt"}}, 340);
    }
};

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

}  // namespace

TEST(ListReading, EntriesKindsAndBadLinesOfBothForms)
{
    Lists lists;
    ASSERT_EQ(lists.Loaded->Reports.size(), 2u);
    const ListReport& nodes = lists.Loaded->Reports[0];
    EXPECT_EQ(nodes.Error, "");
    EXPECT_EQ(nodes.Entries(), 9u);
    EXPECT_EQ(nodes.Counts[static_cast<int>(EntryKind::Host)], 2u);
    EXPECT_EQ(nodes.Counts[static_cast<int>(EntryKind::Node)], 2u);
    ASSERT_EQ(nodes.BadLines.size(), 3u);
    EXPECT_EQ(nodes.BadLines[0].Line, 9u);
    EXPECT_EQ(nodes.BadLines[0].Reason, "unknown keyword");
    EXPECT_EQ(nodes.BadLines[1].Reason, "not a number");
    EXPECT_EQ(nodes.BadLines[2].Reason, "too few fields");
    const ListReport& points = lists.Loaded->Reports[1];
    EXPECT_EQ(points.Entries(), 3u);
    ASSERT_EQ(points.BadLines.size(), 1u);
    EXPECT_EQ(points.BadLines[0].Line, 5u);

    const NodelistIndex& index = lists.Loaded->Index;
    const struct {
        const char* Address;
        const char* Sysop;
        const char* System;
        std::string_view Status;
        bool IsPoint;
    } expected[] = {
        {"2:2/0", "Zone Coord", "Europe", "", false},
        {"2:50/0", "Region Coord", "Russia", "", false},
        {"2:5020/100", "Hub Sysop", "Hub 100", "", false},
        {"2:5020/275", "Sergey Volkov", "Station", "", false},
        {"2:5020/12", "Ivan Petrov", "Hidden", "Pvt", false},
        {"2:5020/9", "Yuri Orlov", "Broken", "Down", false},
        {"2:5030/1", "Sergei Kuzmin", "Tula Station", "", false},
        {"2:5020/275.1", "Maria Volkova", "Home", "", true},
        {"2:5020/275.2", "Ivan Sidorov", "Work", "", true},
        {"2:5030/1.7", "Oleg Belov", "Laptop", "", true},
    };
    for (const auto& want : expected) {
        FidoAddress address;
        ASSERT_EQ(ParseExactAddress(want.Address, 0, address), AddressFault::None);
        auto entry = index.Find(address);
        ASSERT_TRUE(entry) << want.Address;
        EXPECT_EQ(entry->Sysop, want.Sysop) << want.Address;
        EXPECT_EQ(entry->System, want.System) << want.Address;
        EXPECT_EQ(entry->Status(), want.Status) << want.Address;
        EXPECT_EQ(entry->IsPoint, want.IsPoint) << want.Address;
    }
    EXPECT_EQ(index.Find({2, 5020, 275, 0})->Flags, "CM,XA,IBN");
    EXPECT_FALSE(index.Knows({2, 5020, 9999, 0}));
    EXPECT_FALSE(index.Knows({2, 5020, 275, 3}));
}

TEST(ListReading, TextIsCp866UnlessValidUtf8)
{
    const std::string cp866 = "Zone,2,\x91\xe2\xa0\xad\xe6\xa8\xef,\x8c\xae\xe1\xaa\xa2\xa0,Sysop,-,300\r\n";
    const std::string utf8 = "Zone,2,Станция,Москва,Sysop,-,300\r\n";
    for (const std::string& bytes : {cp866, utf8}) {
        NodelistIndex index;
        ListReport report;
        ParseListText(
            DecodeListText(bytes), [&](const ParsedEntry& e) { index.Add(e); }, report);
        index.Finish();
        ASSERT_EQ(index.Size(), 1u);
        EXPECT_EQ(index.Find({2, 2, 0, 0})->System, "Станция");
        EXPECT_EQ(index.Find({2, 2, 0, 0})->Location, "Москва");
    }
}

TEST(ListFinding, ByNameSystemAndAddressPrefix)
{
    Lists lists;
    const struct {
        const char* Query;
        const char* Found;
    } cases[] = {
        {"Sergey Volkov", "2:5020/275"},
        {"volkov sergey", "2:5020/275"},
        {"Serg Vol", "2:5020/275"},
        {"Сергей Вол", "2:5020/275"},
        {"сергей", "2:5020/275 2:5030/1"},  // Sergey and Sergei alike
        {"Алексей Кузнецов", "2:5030/0"},
        {"Vol", "2:5020/275 2:5020/275.1"},
        {"Ivan Volkov", ""},
        {"Tula Stat", "2:5030/1"},  // the system's name
        {"2:5020/1", "2:5020/12 2:5020/100"},
        {"5020/27", "2:5020/275 2:5020/275.1 2:5020/275.2"},
        {"2:5030/1.", "2:5030/1.7"},
        {"2:50",
         "2:50/0 2:5020/0 2:5020/9 2:5020/12 2:5020/100 2:5020/275 2:5020/275.1 2:5020/275.2 2:5030/0 "
         "2:5030/1 2:5030/1.7"},
        {"3:5020/1", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Addresses(lists.Loaded->Index.Lookup(c.Query)), c.Found) << c.Query;
}

TEST(ListFiles, NewestDayNumberedCopyAcrossTheYearsTurn)
{
    EXPECT_EQ(DayNumberOfExtension("338", 340), 338);
    EXPECT_EQ(DayNumberOfExtension("Z38", 340), 338);
    EXPECT_EQ(DayNumberOfExtension("a05", 3), 305);  // not the future's 5, nor 105
    EXPECT_EQ(DayNumberOfExtension("Z05", 10), 5);
    EXPECT_EQ(DayNumberOfExtension("zip", 10), -1);
    EXPECT_EQ(DayNumberOfExtension("400", 10), -1);

    const struct {
        std::vector<std::string> Files;
        int Today;
        const char* Newest;
    } cases[] = {
        {{"NODELIST.331", "NODELIST.338", "NODELIST.txt"}, 340, "NODELIST.338"},
        {{"NODELIST.358", "nodelist.z02"}, 5, "nodelist.z02"},  // the year turned
        {{"NODELIST.358", "NODELIST.365"}, 2, "NODELIST.365"},
        {{"NODELIST.Z38", "NODELIST.338"}, 340, "NODELIST.338"},  // the plain copy of the same day
    };
    for (const auto& c : cases) {
        TempDir dir;
        for (const std::string& file : c.Files)
            WriteFileBytes(dir / file, "");
        EXPECT_EQ(ResolveListFile(dir / "NODELIST", c.Today), dir / c.Newest) << c.Newest;
    }
    TempDir empty;
    EXPECT_EQ(ResolveListFile(empty / "NODELIST", 1), "");
}

TEST(ListFiles, PackedCopyReadsAsThePlainOneAndAMissingListLeavesTheOthers)
{
    TempDir dir;
    WriteZip(dir / "NODELIST.Z38", "NODELIST.338", Nodelist);
    WriteFileBytes(dir / "points.txt", Pointlist);
    auto loaded = LoadLists({{dir / "missing.txt", dir / "NODELIST"}, {dir / "points.txt"}}, 340);
    ASSERT_EQ(loaded->Reports.size(), 3u);
    EXPECT_EQ(loaded->Reports[0].Error, dir / "missing.txt" + ": нет такого файла");
    EXPECT_EQ(loaded->Failures(), loaded->Reports[0].Error + "\n");
    EXPECT_EQ(loaded->Reports[1].Path, dir / "NODELIST.Z38");
    EXPECT_EQ(loaded->Reports[1].Entries(), 9u);
    EXPECT_EQ(loaded->Index.Size(), 12u);

    WriteFileBytes(dir / "NODELIST.Z38", "PK\x03\x04 cut short");
    loaded = LoadLists({{dir / "NODELIST"}, {dir / "points.txt"}}, 340);
    EXPECT_NE(loaded->Reports[0].Error, "");
    EXPECT_EQ(loaded->Index.Size(), 3u);
}

TEST(ListLoader, LoadsInTheBackgroundAndAgainWhenAFileChanges)
{
    TempDir dir;
    WriteFileBytes(dir / "nodelist.txt", Nodelist);
    ListLoader loader;
    loader.Configure({{dir / "nodelist.txt"}, {}});
    loader.WaitIdle();
    auto first = loader.Current();
    EXPECT_EQ(first->Index.Size(), 9u);
    loader.CheckForChanges();
    loader.WaitIdle();
    EXPECT_EQ(loader.Current(), first);  // nothing changed, nothing loaded

    std::string longer = Nodelist;
    longer.insert(longer.size() - 1, ",2,Late,Tula,Late_Sysop,-,300\r\n");
    WriteFileBytes(dir / "nodelist.txt", longer);
    loader.CheckForChanges();
    loader.WaitIdle();
    EXPECT_EQ(loader.Current()->Index.Size(), 10u);
    EXPECT_EQ(first->Index.Size(), 9u);  // still whole for whoever holds it
}

TEST(AddressBook, RemembersRefreshesAndSurvivesDamage)
{
    TempDir dir;
    AddressBook book(dir / "data/addressbook.txt");
    EXPECT_EQ(book.Load(), "");
    book.Remember("Сергей Волков", {2, 5020, 275, 0}, "2026-12-01");
    book.Remember("Anna", {2, 5020, 1, 2}, "2026-12-01");
    book.Remember("сергей волков", {2, 5020, 275, 0}, "2026-12-07");
    ASSERT_EQ(book.Save(), "");
    EXPECT_EQ(ReadFileBytes(dir / "data/addressbook.txt"),
              "# Quorvel address book 1\nAnna\t2:5020/1.2\t2026-12-01\nСергей Волков\t2:5020/275\t2026-12-07\n");
    EXPECT_EQ(book.Lookup("Волк").size(), 1u);
    EXPECT_EQ(book.Lookup("Serg Vol").size(), 1u);
    EXPECT_EQ(book.Lookup("2:5020/1").size(), 1u);

    const std::string damaged = "# Quorvel address book 1\nAnna\t2:5020/1.2\t2026-12-01\nbroken line\n";
    WriteFileBytes(dir / "data/addressbook.txt", damaged);
    AddressBook again(dir / "data/addressbook.txt");
    EXPECT_NE(again.Load(), "");
    EXPECT_TRUE(again.Damaged());
    EXPECT_EQ(again.Entries().size(), 1u);
    EXPECT_EQ(ReadFileBytes(dir / "data/addressbook.txt"), damaged);  // untouched until written
    again.Remove(0);
    ASSERT_EQ(again.Save(), "");
    EXPECT_EQ(ReadFileBytes(dir / "data/addressbook.txt.damaged"), damaged);
    EXPECT_EQ(ReadFileBytes(dir / "data/addressbook.txt"), "# Quorvel address book 1\n");
}
