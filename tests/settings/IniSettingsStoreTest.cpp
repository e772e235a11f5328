// The settings store the program uses: an INI file under $XDG_CONFIG_HOME.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/UserSettings.h"
#include "settings/IniSettingsStore.h"
#include "support/TestSupport.h"

class IniSettingsStoreTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir Config;
    QString IniFile() const { return Config.path() + QStringLiteral("/Tressik/Quorvel.ini"); }

private slots:
    void initTestCase()
    {
        QVERIFY(Config.isValid());
        // Never the user's own settings: the config directory is a scratch one.
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    }

    void ValuesLiveInTheUsersConfigDirectory()
    {
        {
            IniSettingsStore registry;
            QCOMPARE(registry.FileName(), IniFile());
            QVERIFY(registry.WriteString("quorvel.INI\\User", "Name", "Пётр Сидоров"));
        }
        QVERIFY(QFile::exists(IniFile()));
        IniSettingsStore again;
        std::string value;
        QVERIFY(again.ReadString("quorvel.INI\\User", "Name", value));
        QCOMPARE(QString::fromStdString(value), QStringLiteral("Пётр Сидоров"));
        QVERIFY(!again.ReadString("quorvel.INI\\User", "Missing", value));
        QVERIFY(!again.ReadString("quorvel.INI\\Nowhere", "Name", value));
    }

    void NumberedNamesComeBackInNumericOrder()
    {
        IniSettingsStore registry(Config.path() + QStringLiteral("/order.ini"));
        for (int i = 0; i < 12; ++i)
            registry.WriteString("k\\List", "Line" + std::to_string(i), "v" + std::to_string(i));
        std::vector<std::string> names = registry.ValueNames("k\\List");
        QCOMPARE(names.size(), std::size_t(12));
        QCOMPARE(names[2], std::string("Line2"));
        QCOMPARE(names[10], std::string("Line10"));
        QCOMPARE(names[11], std::string("Line11"));
    }

    void KeysAreCreatedAndDeletedWithWhatIsBelow()
    {
        IniSettingsStore registry(Config.path() + QStringLiteral("/keys.ini"));
        QVERIFY(!registry.KeyExists("a\\b"));
        QVERIFY(registry.CreateKey("a\\b"));
        QVERIFY(registry.KeyExists("a\\b"));
        registry.WriteString("a\\b\\c", "x", "1");
        registry.WriteString("a\\bc", "y", "2");
        QVERIFY(registry.DeleteKey("a\\b"));
        QVERIFY(!registry.KeyExists("a\\b\\c"));
        QVERIFY(!registry.KeyExists("a\\b"));
        std::string value;
        QVERIFY2(registry.ReadString("a\\bc", "y", value), "a neighbour with a longer name stays");
    }

    void UserSettingsRoundTrip()
    {
        UserSettings saved;
        saved.SetProgramFileName("/usr/bin/quorvel");
        saved.QuoteReplyTemplate = {"", "Ответ", ""};
        saved.AKAs = {"2:5020/1.2"};
        ParseAddress("2:5020/1.4", FidoAddress{}, saved.MainAddress);
        {
            IniSettingsStore registry;
            saved.Save(registry);
        }
        UserSettings loaded;
        loaded.SetProgramFileName("/usr/bin/quorvel");
        IniSettingsStore registry;
        loaded.Load(registry);
        QCOMPARE(loaded.QuoteReplyTemplate, (std::vector<std::string>{"", "Ответ", ""}));
        QCOMPARE(loaded.AKAs, std::vector<std::string>{"2:5020/1.2"});
        QCOMPARE(QString::fromStdString(AddressToText(loaded.MainAddress)), QStringLiteral("2:5020/1.4"));
        QCOMPARE(loaded.NewLetterTemplate, DefaultNewLetterTemplate());
    }
};

QTEST_GUILESS_MAIN(IniSettingsStoreTest)
#include "IniSettingsStoreTest.moc"
