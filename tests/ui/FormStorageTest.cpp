// The window placement storage, the tool bar with its layout and hints, and
// the tool bar's customisation dialog.
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QHelpEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <map>
#include <memory>

#include "core/MemoryRegistry.h"
#include "core/Registry.h"
#include "ui/TFormStorage.h"
#include "ui/TSpeedBar.h"
#include "ui/TSpeedBarDialog.h"
#include "ui/support/FormParts.h"

namespace {

const std::string Key = "Software\\Tressik\\Quorvel\\2.00\\TTestForm";

// A window with a tool bar of four buttons in two sections and one stored
// property, kept by a storage in the section "TTestForm".
struct TestWindow {
    QMainWindow Window;
    TSpeedBar* Bar;
    bool Flag = true;
    std::unique_ptr<TFormStorage> Storage;

    TestWindow()
    {
        Bar = new TSpeedBar(QStringLiteral("SpeedBar"), &Window);
        Window.addToolBar(Bar);
        Bar->AddSection(QStringLiteral("Навигация"));
        for (const char* name : {"Prev", "Next"})
            Bar->AddButton(MakeAction(name));
        Bar->AddSection(QStringLiteral("Письмо"));
        for (const char* name : {"Reply", "Delete"})
            Bar->AddButton(MakeAction(name));
        Storage = std::make_unique<TFormStorage>(&Window, "TTestForm");
        Storage->AddBoolProperty(
            "KludgesItem.Checked", [this] { return Flag; }, [this](bool on) { Flag = on; });
        Storage->AddSpeedBar(Bar);
    }

    QAction* MakeAction(const char* name)
    {
        auto* action = new QAction(QString::fromLatin1(name), &Window);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(QStringLiteral("hint of ") + QString::fromLatin1(name));
        return action;
    }

    // What the bar shows: button names, "|" for a separator.
    QString Shown() const
    {
        QStringList names;
        for (QAction* action : Bar->actions())
            names << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
        return names.join(' ');
    }
};

}  // namespace

class FormStorageTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir Scratch;
    MemoryRegistry* Store = nullptr;

    std::map<std::string, std::string> Stored()
    {
        std::map<std::string, std::string> values;
        for (const std::string& name : Store->ValueNames(Key))
            Store->ReadString(Key, name, values[name]);
        return values;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", Scratch.path().toUtf8());
    }

    void init()
    {
        Store = new MemoryRegistry;
        SetUserRegistry(std::unique_ptr<Registry>(Store));
    }

    void PlacementTextsAreFourIntegers()
    {
        int v[4];
        QVERIFY(TFormStorage::ParseFour("-1,-1,-1,-1", v));
        QCOMPARE(v[0], -1);
        QVERIFY(TFormStorage::ParseFour(" 10, 20 ,300,400", v));
        QCOMPARE(v[1], 20);
        QCOMPARE(v[3], 400);
        for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,,3,4", "a,b,c,d", "1,2,3,99999999999", "1;2;3;4"})
            QVERIFY2(!TFormStorage::ParseFour(bad, v), bad);
        const int four[4] = {-8, 0, 1024, 768};
        QCOMPARE(TFormStorage::FormatFour(four), std::string("-8,0,1024,768"));
        QVERIFY(TextBool("True", false));
        QVERIFY(!TextBool("0", true));
        QVERIFY(TextBool("maybe", true));
    }

    void SavedSectionHoldsPlacementPropertiesAndLayout()
    {
        TestWindow test;
        QVERIFY(!test.Storage->Show(Qt::WindowNoState));  // nothing stored yet
        test.Window.setGeometry(40, 50, 320, 200);
        test.Flag = false;
        test.Bar->SetLayout({"Delete", "Prev"});
        test.Storage->Save();
        auto values = Stored();
        QCOMPARE(values["Flags"], std::string("0"));
        QCOMPARE(values["ShowCmd"], std::string("1"));
        QCOMPARE(values["MinMaxPos"], std::string("-1,-1,-1,-1"));
        QCOMPARE(values["NormPos"], std::string("40,50,360,250"));
        QCOMPARE(values["KludgesItem.Checked"], std::string("0"));
        QCOMPARE(values["SpeedBar.Buttons"], std::string("Delete,Prev"));

        // Maximised, then minimised: it comes back maximised.
        test.Window.showMaximized();
        test.Window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
        test.Storage->Save();
        values = Stored();
        QCOMPARE(values["ShowCmd"], std::string("2"));
        QCOMPARE(values["Flags"], std::string("2"));
        QCOMPARE(values["NormPos"], std::string("40,50,360,250"));  // the normal rectangle is kept

        TestWindow again;
        QVERIFY(again.Storage->Show(Qt::WindowNoState));
        QVERIFY(again.Window.isMaximized());
        QVERIFY(!again.Flag);
        QCOMPARE(again.Shown(), QStringLiteral("Delete | Prev"));
        again.Window.showNormal();
        QCOMPARE(again.Window.geometry(), QRect(40, 50, 320, 200));
    }

    void MinimisedFromNormalComesBackNormal()
    {
        Store->WriteString(Key, "Flags", "0");
        Store->WriteString(Key, "ShowCmd", "2");
        Store->WriteString(Key, "NormPos", "10,20,210,170");
        TestWindow test;
        QVERIFY(test.Storage->Show(Qt::WindowMaximized));
        QVERIFY(!test.Window.isMinimized());
        QVERIFY(!test.Window.isMaximized());
        QCOMPARE(test.Window.geometry(), QRect(10, 20, 200, 150));
    }

    void DamagedOrStrangeValuesAreIgnoredOrMadeSafe()
    {
        Store->WriteString(Key, "ShowCmd", "three");
        Store->WriteString(Key, "NormPos", "100,100,50,50");  // right of left: nothing to show
        Store->WriteString(Key, "KludgesItem.Checked", "perhaps");
        Store->WriteString(Key, "SpeedBar.Buttons", "Gone,Next,Next,,Reply");
        TestWindow test;
        QVERIFY(!test.Storage->Show(Qt::WindowMaximized));
        QVERIFY(test.Window.isMaximized());
        QVERIFY(test.Flag);
        QCOMPARE(test.Shown(), QStringLiteral("Next | Reply"));

        // A rectangle far off every screen is brought back onto one.
        Store->WriteString(Key, "ShowCmd", "1");
        Store->WriteString(Key, "NormPos", "50000,60000,50300,60200");
        TestWindow far;
        QVERIFY(far.Storage->Show(Qt::WindowMaximized));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(far.Window.geometry()));
        QCOMPARE(far.Window.geometry().size(), QSize(300, 200));

        // Coordinates no screen comes near are taken for damage.
        Store->WriteString(Key, "NormPos", "-2000000000,0,2000000000,100");
        TestWindow huge;
        huge.Window.setGeometry(5, 6, 70, 80);
        huge.Storage->Show(Qt::WindowNoState);
        QCOMPARE(huge.Window.geometry(), QRect(5, 6, 70, 80));

        // An empty stored layout hides every button.
        Store->WriteString(Key, "SpeedBar.Buttons", "");
        TestWindow empty;
        empty.Storage->Show(Qt::WindowNoState);
        QCOMPARE(empty.Shown(), QString());
    }

    void BarSeparatesSectionsAndSwallowsTooltipsWhenHintsAreOff()
    {
        TestWindow test;
        test.Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&test.Window));
        QCOMPARE(test.Shown(), QStringLiteral("Prev Next | Reply Delete"));
        QCOMPARE(test.Bar->LayoutText(), QStringLiteral("Prev,Next,Reply,Delete"));
        test.Bar->SetLayout({"Reply", "Prev"});
        QCOMPARE(test.Shown(), QStringLiteral("Reply | Prev"));

        QWidget* button = test.Bar->widgetForAction(test.Bar->actions().last());
        QVERIFY(button);
        auto askTip = [&] {
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000))
                return QStringLiteral("(the last tip stayed)");
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
            QCoreApplication::sendEvent(button, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(askTip(), QStringLiteral("hint of Prev"));
        test.Bar->SetShowHints(false);
        QCOMPARE(askTip(), QString());
        test.Bar->SetShowHints(true);
        QCOMPARE(askTip(), QStringLiteral("hint of Prev"));
    }

    void CustomisationDialogListsShownButtonsFirstAndReturnsTheChoice()
    {
        TestWindow test;
        test.Bar->SetLayout({"Reply", "Prev"});
        TSpeedBarDialog dialog(test.Bar);
        auto* list = PartOf<QListWidget>(&dialog, "ButtonsList");
        QStringList lines;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            lines << item->text() + (item->checkState() == Qt::Checked ? "+" : "-") + "/" + item->toolTip();
        }
        QCOMPARE(lines, (QStringList{"Reply+/Письмо", "Prev+/Навигация", "Next-/Навигация", "Delete-/Письмо"}));
        QCOMPARE(dialog.ChosenLayout(), (QStringList{"Reply", "Prev"}));

        list->item(3)->setCheckState(Qt::Checked);
        list->setCurrentRow(3);
        PartOf<QPushButton>(&dialog, "UpButton")->click();
        PartOf<QPushButton>(&dialog, "UpButton")->click();
        PartOf<QPushButton>(&dialog, "UpButton")->click();
        PartOf<QPushButton>(&dialog, "UpButton")->click();  // already first: stays
        QCOMPARE(list->currentRow(), 0);
        list->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(dialog.ChosenLayout(), (QStringList{"Delete", "Prev"}));
        list->setCurrentRow(3);
        PartOf<QPushButton>(&dialog, "DownButton")->click();  // already last: stays
        QCOMPARE(list->item(3)->text(), QStringLiteral("Next"));

        // Run from the bar: OK applies the choice.
        QTimer::singleShot(0, [] {
            auto* running = qobject_cast<TSpeedBarDialog*>(QApplication::activeModalWidget());
            QVERIFY(running);
            PartOf<QListWidget>(running, "ButtonsList")->item(0)->setCheckState(Qt::Unchecked);
            PartOf<QPushButton>(running, "OKButton")->click();
        });
        QVERIFY(test.Bar->Configure());
        QCOMPARE(test.Shown(), QStringLiteral("Prev"));
        // Cancel changes nothing.
        QTimer::singleShot(0, [] {
            auto* running = qobject_cast<TSpeedBarDialog*>(QApplication::activeModalWidget());
            QVERIFY(running);
            PartOf<QListWidget>(running, "ButtonsList")->item(1)->setCheckState(Qt::Checked);
            PartOf<QPushButton>(running, "CancelButton")->click();
        });
        QVERIFY(!test.Bar->Configure());
        QCOMPARE(test.Shown(), QStringLiteral("Prev"));
    }
};

QTEST_MAIN(FormStorageTest)
#include "FormStorageTest.moc"
