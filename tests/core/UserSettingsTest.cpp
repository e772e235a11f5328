#include <gtest/gtest.h>

#include "core/MemoryRegistry.h"
#include "core/UserSettings.h"
#include "support/TestSupport.h"

namespace {

// The settings of a program started as /usr/bin/quorvel, at their defaults.
UserSettings FreshSettings()
{
    UserSettings settings;
    settings.SetProgramFileName("/usr/bin/quorvel");
    return settings;
}

struct SettingsFixture : ::testing::Test {
    UserSettings Settings = FreshSettings();
    MemoryRegistry Store;
};

}  // namespace

TEST(UserSettingsKeyName, NamedAfterTheProgramFile)
{
    UserSettings settings;
    settings.SetProgramFileName("/opt/fido/QUORVEL.EXE");
    EXPECT_EQ(settings.Key(), "QUORVEL.INI");
    settings.SetProgramFileName("C:\\FIDO\\Q.V2.EXE");
    EXPECT_EQ(settings.Key(), "Q.V2.INI");
    settings.SetProgramFileName("/usr/bin/quorvel");
    EXPECT_EQ(settings.Key(), "quorvel.INI");
}

TEST_F(SettingsFixture, DefaultsWhenNothingIsStored)
{
    Settings.Load(Store);
    EXPECT_EQ(Settings.UserName, DefaultUserName());
    EXPECT_EQ(AddressToText(Settings.MainAddress), DefaultMainAddressText());
    EXPECT_TRUE(Settings.AKAs.empty());
    ASSERT_EQ(Settings.NewLetterTemplate.size(), 6u);
    EXPECT_EQ(Settings.NewLetterTemplate[0], "Привет, @TFName!");
    EXPECT_EQ(Settings.NewLetterTemplate[2], "@Position");
    EXPECT_EQ(Settings.NewLetterTemplate[1], "");
    ASSERT_EQ(Settings.QuoteReplyTemplate.size(), 6u);
    EXPECT_EQ(Settings.QuoteReplyTemplate[0], "@ODate  @OName(@OAddr) > @DName:");
    EXPECT_EQ(Settings.QuoteReplyTemplate[2], "@Quote");
    EXPECT_EQ(Settings.QuoteReplyTemplate[4], Settings.NewLetterTemplate[4]) << "one signature line";
}

TEST_F(SettingsFixture, SaveAndLoadRoundTripWithEmptyLinesAndManyLines)
{
    Settings.UserName = "Пётр Сидоров";
    ParseAddress("2:5020/123.45", FidoAddress{}, Settings.MainAddress);
    Settings.AKAs = {"2:5020/123.46", "1:2/3"};
    Settings.NewLetterTemplate = {"", "second", ""};
    Settings.QuoteReplyTemplate.clear();
    for (int i = 0; i < 12; ++i)
        Settings.QuoteReplyTemplate.push_back("line " + std::to_string(i));
    Settings.Save(Store);

    EXPECT_EQ(Store.ValueNames("quorvel.INI\\NewLetterTemplate"),
              (std::vector<std::string>{"Line0", "Line1", "Line2"}));
    std::string stored;
    ASSERT_TRUE(Store.ReadString("quorvel.INI\\NewLetterTemplate", "Line0", stored));
    EXPECT_EQ(stored, "-");
    ASSERT_TRUE(Store.ReadString("quorvel.INI\\User", "MainAddress", stored));
    EXPECT_EQ(stored, "2:5020/123.45");

    Settings = FreshSettings();
    Settings.Load(Store);
    EXPECT_EQ(Settings.UserName, "Пётр Сидоров");
    EXPECT_EQ(AddressToText(Settings.MainAddress), "2:5020/123.45");
    EXPECT_EQ(Settings.AKAs, (std::vector<std::string>{"2:5020/123.46", "1:2/3"}));
    EXPECT_EQ(Settings.NewLetterTemplate, (std::vector<std::string>{"", "second", ""}));
    ASSERT_EQ(Settings.QuoteReplyTemplate.size(), 12u);
    EXPECT_EQ(Settings.QuoteReplyTemplate[10], "line 10");
    EXPECT_EQ(Settings.QuoteReplyTemplate[11], "line 11");
}

TEST_F(SettingsFixture, ShorterListsReplaceLongerOnesAndEmptyListsFallBack)
{
    Settings.NewLetterTemplate = {"a", "b", "c", "d"};
    Settings.Save(Store);
    Settings.NewLetterTemplate = {"x"};
    Settings.AKAs.clear();
    Settings.Save(Store);
    EXPECT_EQ(Store.ValueNames("quorvel.INI\\NewLetterTemplate"), std::vector<std::string>{"Line0"});
    Settings.NewLetterTemplate.clear();
    Settings.Save(Store);
    EXPECT_FALSE(Store.KeyExists("quorvel.INI\\NewLetterTemplate")) << "saved empty: no Line0";

    Settings = FreshSettings();
    Settings.Load(Store);
    EXPECT_EQ(Settings.NewLetterTemplate, DefaultNewLetterTemplate()) << "the default comes back";
}

TEST_F(SettingsFixture, StoredAddressFormsAndLongLines)
{
    Store.WriteString("quorvel.INI\\User", "MainAddress", "Vasya Pupkin (2:5020/1.4)");
    Settings.Load(Store);
    EXPECT_EQ(AddressToText(Settings.MainAddress), "2:5020/1.4");
    Store.WriteString("quorvel.INI\\User", "MainAddress", "1:2/3");
    Settings.Load(Store);
    EXPECT_EQ(AddressToText(Settings.MainAddress), "1:2/3");
    // Missing parts come from the address held before.
    Store.WriteString("quorvel.INI\\User", "MainAddress", "77.5");
    Settings.Load(Store);
    EXPECT_EQ(AddressToText(Settings.MainAddress), "1:2/77.5");

    EXPECT_EQ(ReduceAddressText("Name (Town (x 2:1/2.3) tail"), "2:1/2.3");
    EXPECT_EQ(ReduceAddressText("2:5020/1 (home)"), "home");
    EXPECT_EQ(ReduceAddressText("2:5020/1)junk"), "2:5020/1");

    std::string longLine(300, 'x');
    Store.WriteString("quorvel.INI\\AKAs", "Line0", longLine);
    Store.WriteString("quorvel.INI\\AKAs", "Line1", "-");
    Settings.Load(Store);
    ASSERT_EQ(Settings.AKAs.size(), 2u);
    EXPECT_EQ(Settings.AKAs[0], std::string(255, 'x'));
    EXPECT_EQ(Settings.AKAs[1], "");

    // A list whose Line0 is empty keeps what it holds.
    Store.WriteString("quorvel.INI\\AKAs", "Line0", "");
    Settings.Load(Store);
    EXPECT_EQ(Settings.AKAs.size(), 2u);
}

TEST(MemoryRegistryStore, KeysValuesOrderAndDeletion)
{
    MemoryRegistry r;
    EXPECT_FALSE(r.KeyExists("A\\B"));
    r.WriteString("A\\B\\C", "Z", "1");
    r.WriteString("a\\b\\c", "Y", "2");
    r.WriteString("A\\B\\C", "z", "3");
    EXPECT_TRUE(r.KeyExists("A\\B")) << "a key with a subkey exists";
    EXPECT_EQ(r.ValueNames("A\\B\\C"), (std::vector<std::string>{"Z", "Y"})) << "in the order written";
    std::string v;
    EXPECT_TRUE(r.ReadString("A\\B\\C", "Z", v));
    EXPECT_EQ(v, "3");
    EXPECT_FALSE(r.ReadString("A\\B\\C", "none", v));
    EXPECT_TRUE(r.DeleteKey("A\\B"));
    EXPECT_FALSE(r.KeyExists("A\\B\\C"));
    EXPECT_FALSE(r.ReadString("A\\B\\C", "Z", v));
}

TEST(MemoryRegistryStore, NumberedNamesSortNumerically)
{
    std::vector<std::string> names = {"Line10", "Line2", "Other", "Line0", "Line1", "Line002x", "Line11"};
    SortValueNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Line0", "Line1", "Line2", "Line10", "Line11", "Line002x", "Other"}));
}
