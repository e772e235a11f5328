// Every text of the program's dialogs and windows whole, at the default font
// and at a desktop's 125 % and 150 %.
#include <QTabWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "core/MemoryRegistry.h"
#include "core/UserSettings.h"
#include "model/Session.h"
#include "model/TArea.h"
#include "support/LetterWriter.h"
#include "support/TestSupport.h"
#include "ui/AboutF/TAboutForm.h"
#include "ui/AreaF/TAreaForm.h"
#include "ui/AreasF/TAreasForm.h"
#include "ui/ProgramStart.h"
#include "ui/Dialogs.h"
#include "ui/EditorEntry.h"
#include "ui/EditorF/TEditorForm.h"
#include "ui/UserF/TUserForm.h"
#include "ui/WndListF/TWindowListForm.h"
#include "ui/support/CutTexts.h"
#include "ui/support/FormParts.h"
#include "ui/support/MessageBoxes.h"

class TextFitTest : public QObject {
    Q_OBJECT
private:
    // The session of the windows under test, for the whole run as the program's.
    Session Owner;
    QFont BaseFont;

    // Shows a window as the user would and lists its cut texts. The main
    // windows take a laptop's screen (1366 pixels wide): the offscreen screen
    // is smaller than any a user has.
    static QStringList CutIn(QWidget& window)
    {
        if (qobject_cast<QMainWindow*>(&window)) {
            window.showNormal();
            window.resize(1366, 768);
        }
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return {QStringLiteral("not shown")};
        return CutTexts(&window);
    }

private slots:
    void initTestCase()
    {
        BaseFont = QApplication::font();
        SetUserRegistry(std::make_unique<MemoryRegistry>());
        Owner.Settings = UserSettings{};
        SetMessageHandler([](const QString&) {});
    }
    void cleanup() { QApplication::setFont(BaseFont); }

    void Scales()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("125 %") << 1.25;
        QTest::newRow("150 %") << 1.5;
    }

    void Dialogs_data() { Scales(); }

    void Dialogs()
    {
        QFETCH(double, scale);
        ScaleApplicationFont(BaseFont, scale);
        QStringList cut;
        {
            TAboutForm about;
            auto* pages = PartOf<QTabWidget>(&about, "TabbedNotebook1");
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                cut << CutIn(about);
            }
        }
        {
            TUserForm user;
            auto* pages = PartOf<QTabWidget>(&user, "Notebook");
            for (int page = 0; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                cut << CutIn(user);
            }
        }
        {
            TWindowListForm list;
            cut << CutIn(list);
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("\n"))));
    }

    void UsageBoxKeepsItsLinesWhole_data() { Scales(); }

    void UsageBoxKeepsItsLinesWhole()
    {
        QFETCH(double, scale);
        ScaleApplicationFont(BaseFont, scale);
        SetMessageHandler(nullptr);
        QString caption;
        QStringList cut;
        WhenMessageBoxShows([&](QMessageBox* box) {
            caption = box->windowTitle();
            // Four lines, each whole: none wrapped, none cut.
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            const QString text = Qt::mightBeRichText(label->text())
                                     ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                     : label->text();
            int widest = 0;
            for (const QString& line : text.split(QLatin1Char('\n')))
                widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
            if (widest > label->width() || label->height() >= 5 * label->fontMetrics().lineSpacing())
                cut << text;
            cut << CutTexts(box);
            box->accept();
        });
        QVERIFY(!StartProgram(Owner, {QStringLiteral("only-the-flag")}, QStringLiteral("/usr/bin/quorvel")));
        SetMessageHandler([](const QString&) {});
        QCOMPARE(caption, QStringLiteral("Quorvel"));
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("\n"))));
    }

    void MainWindows_data() { Scales(); }

    void MainWindows()
    {
        QFETCH(double, scale);
        ScaleApplicationFont(BaseFont, scale);
        TempDir dir;
        const std::string spec = "F" + dir.Path() + "/msg/";
        WriteLetters(spec, {{.From = "Anna", .To = "All", .Subject = "Alpha", .Lines = {"Hello."}}});
        TArea area(Owner, "RU.TEST", "Описание", spec);
        area.Load();
        QStringList cut;
        {
            TAreasForm areas(Owner);
            PartOf<QTimer>(&areas, "UpdateAreasStarter")->stop();
            PartOf<QTimer>(&areas, "UpdateAreasTick")->stop();
            cut << CutIn(areas);
        }
        auto* form = new TAreaForm(&area);
        cut << CutIn(*form);
        std::unique_ptr<TEditorForm> editor(new TEditorForm(&area, ReplyMode));
        cut << CutIn(*editor);
        editor.reset();
        delete form;
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("\n"))));
    }
};

QTEST_MAIN(TextFitTest)
#include "TextFitTest.moc"
