#include "ui/Nodelists.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <QTimer>

#include "core/Registry.h"
#include "core/StringHelpers.h"
#include "core/UserSettings.h"
#include "settings/QtText.h"
#include "ui/Dialogs.h"
#include "ui/FormWindow.h"

namespace {

// How often the files of the lists are looked at for a change.
constexpr int CheckIntervalMs = 60 * 1000;
// How long a list that could not be read is named in the status bar.
constexpr int ReportShownMs = 20 * 1000;

ListLoader& Loader()
{
    static ListLoader loader;
    return loader;
}

// Lists that could not be read are named in the status bar of the window in
// front, once for each new set of failures; the others are used all the same.
void ReportFailures()
{
    static std::string reported;
    const std::string failures = CurrentNodelists()->Failures();
    if (failures == reported)
        return;
    reported = failures;
    const std::vector<FormWindow*> windows = FormWindow::AllForms();
    if (failures.empty() || windows.empty())
        return;
    QString text = ToQString("Не прочитан нодлист: " + failures).trimmed();
    text.replace(QLatin1Char('\n'), QStringLiteral("; "));
    windows.front()->statusBar()->showMessage(text, ReportShownMs);
}

void CheckNodelistsOnTimer()
{
    static QTimer* timer = nullptr;
    if (timer)
        return;
    timer = new QTimer();
    timer->setInterval(CheckIntervalMs);
    QObject::connect(timer, &QTimer::timeout, [] { Loader().CheckForChanges(); });
    timer->start();
    Loader().SetOnLoaded([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &ReportFailures, Qt::QueuedConnection);
    });
    // A build still running ends before the program's statics (the
    // character set tables it reads through) go.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
        timer->stop();
        Loader().WaitIdle();
    });
}

}  // namespace

ListSettings NodelistSettings(const UserSettings& settings)
{
    return LoadListSettings(UserRegistry(), settings.Key());
}

void SetNodelistSettings(const UserSettings& settings, const ListSettings& lists)
{
    SaveListSettings(UserRegistry(), settings.Key(), lists);
    Loader().Configure(NodelistSettings(settings));
}

void StartNodelists(const UserSettings& settings)
{
    Loader().Configure(NodelistSettings(settings));
    CheckNodelistsOnTimer();
}

std::string NodelistState()
{
    auto lists = CurrentNodelists();
    if (lists->Reports.empty())
        return "Списки не заданы.";
    std::string text = Format("Прочитано записей: %zu.", lists->Index.Size());
    for (const ListReport& report : lists->Reports)
        if (!report.Error.empty())
            text += "\nНе прочитан: " + report.Error;
        else if (!report.BadLines.empty())
            text += Format("\n%s: плохих строк %zu (первая — %u).", report.Path.c_str(), report.BadLines.size(),
                           report.BadLines.front().Line);
    return text;
}

std::shared_ptr<const LoadedLists> CurrentNodelists()
{
    return Loader().Current();
}

void WaitForNodelists()
{
    Loader().WaitIdle();
}

std::string StationOf(const FidoAddress& address)
{
    auto entry = CurrentNodelists()->Index.Find(address);
    return entry ? entry->Station() : std::string();
}

std::string AddressWithStation(const FidoAddress& address)
{
    std::string station = StationOf(address);
    return AddressToText(address) + (station.empty() ? "" : " (" + station + ")");
}

std::optional<FidoAddress> TypedDestination(const EditorState& editor, const UserSettings& settings)
{
    FidoAddress sender, destination;
    if (ParseExactAddress(editor.FromAddress, settings.MainAddress.Zone, sender) != AddressFault::None ||
        ParseExactAddress(editor.ToAddress, sender.Zone, destination) != AddressFault::None)
        return std::nullopt;
    return destination;
}

bool ConfirmNetmailDestination(const FidoAddress& address, QWidget* parent)
{
    auto lists = CurrentNodelists();
    if (lists->Index.Empty())
        return true;
    std::string question;
    if (!lists->Index.Knows(address)) {
        question = "Адреса " + AddressToText(address) + " нет в нодлисте. Всё равно записать?";
    } else if (auto entry = lists->Index.Find(address); entry && entry->IsDown()) {
        question = "Узел " + AddressToText(address) + " (" + entry->System +
            ") отмечен в нодлисте как неработающий (Down). Всё равно записать?";
    } else {
        return true;
    }
    return AskDialog(question, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, parent, QMessageBox::No) ==
        QMessageBox::Yes;
}

AddressBook& ProgramAddressBook()
{
    static AddressBook book = [] {
        AddressBook loaded(DefaultAddressBookPath());
        std::string error = loaded.Load();
        if (!error.empty())
            ShowError(error);
        return loaded;
    }();
    return book;
}

void RememberAddress(const std::string& name, const FidoAddress& address, QWidget* parent)
{
    AddressBook& book = ProgramAddressBook();
    book.Remember(name, address, TodayText());
    std::string error = book.Save();
    if (!error.empty())
        ShowError("Адресная книга не записана: " + error, parent);
}
