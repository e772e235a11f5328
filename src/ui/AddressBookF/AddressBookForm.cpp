#include "ui/AddressBookF/AddressBookForm.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include "settings/QtText.h"
#include "ui/Dialogs.h"
#include "ui/Nodelists.h"

namespace {

enum Column { NameColumn, AddressColumn, DateColumn, StationColumn, ColumnCount };

// The entry's name and address in a small dialog; false on Cancel. OK keeps
// the dialog open while the address names no station.
bool EditEntry(QWidget* parent, const QString& caption, AddressBookEntry& entry)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("AddressEntryDialog"));
    dialog.setWindowTitle(caption);
    auto* layout = new QFormLayout(&dialog);
    auto* name = new QLineEdit(ToQString(entry.Name), &dialog);
    name->setObjectName(QStringLiteral("NameEdit"));
    name->setMaxLength(35);
    auto* address =
        new QLineEdit(entry.Address.IsZero() ? QString() : ToQString(AddressToText(entry.Address)), &dialog);
    address->setObjectName(QStringLiteral("AddressEdit"));
    address->setPlaceholderText(QStringLiteral("2:5020/1234.5"));
    layout->addRow(QStringLiteral("&Имя:"), name);
    layout->addRow(QStringLiteral("&Адрес:"), address);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    layout->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        FidoAddress parsed;
        if (name->text().trimmed().isEmpty()) {
            ShowError("Имя не может быть пустым.", &dialog);
            return;
        }
        // The book keeps full addresses: the zone is never guessed.
        if (ParseExactAddress(FromQString(address->text().trimmed()), 0, parsed) != AddressFault::None) {
            ShowError("«" + FromQString(address->text()) + "» — не полный адрес ФидоНет (зона:сеть/узел.пойнт).",
                      &dialog);
            return;
        }
        entry.Name = FromQString(name->text().trimmed());
        entry.Address = parsed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

QPointer<AddressBookForm>& TheWindow()
{
    static QPointer<AddressBookForm> window;
    return window;
}

}  // namespace

AddressBookForm::AddressBookForm()
{
    setObjectName(QStringLiteral("AddressBookForm"));
    setWindowTitle(QStringLiteral("Адресная книга"));
    AddressTable = new QTableWidget(0, ColumnCount, this);
    AddressTable->setObjectName(QStringLiteral("AddressTable"));
    AddressTable->setHorizontalHeaderLabels(
        {QStringLiteral("Имя"), QStringLiteral("Адрес"), QStringLiteral("Последнее письмо"), QStringLiteral("Узел")});
    AddressTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    AddressTable->setSelectionMode(QAbstractItemView::SingleSelection);
    AddressTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    AddressTable->verticalHeader()->hide();
    AddressTable->horizontalHeader()->setStretchLastSection(true);
    connect(AddressTable, &QTableWidget::cellActivated, this, [this] { ChangeEntry(); });
    setCentralWidget(AddressTable);
    CreateMenus();
    FillTable();
    resize(640, 400);
    FreedWhenClosed();
}

void AddressBookForm::ShowAddressBook()
{
    if (!TheWindow())
        TheWindow() = new AddressBookForm();
    ShowAndSwitchTo(TheWindow());
}

void AddressBookForm::changeEvent(QEvent* event)
{
    FormWindow::changeEvent(event);
    // Netmail saved in an editor meanwhile may have added an entry.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FillTable(std::max(SelectedRow(), 0));
}

void AddressBookForm::CreateMenus()
{
    QMenu* book = MakeSubmenu(menuBar(), "BookItem", QStringLiteral("&Книга"), QStringLiteral("Записи адресной книги"));
    AddItem = MakeItem(this, "AddItem", QStringLiteral("&Добавить..."), QStringLiteral("Добавить запись"),
                       {QKeySequence(Qt::Key_Insert)}, [this] { AddEntry(); });
    ChangeItem = MakeItem(this, "ChangeItem", QStringLiteral("&Изменить..."), QStringLiteral("Изменить имя или адрес"),
                          {QKeySequence(Qt::Key_F4)}, [this] { ChangeEntry(); });
    DeleteItem = MakeItem(this, "DeleteItem", QStringLiteral("&Удалить"), QStringLiteral("Удалить запись"),
                          {QKeySequence(Qt::Key_Delete)}, [this] { DeleteEntry(); });
    CloseItem = MakeItem(this, "CloseItem", QStringLiteral("&Закрыть"), QStringLiteral("Закрыть адресную книгу"),
                         {QKeySequence(Qt::Key_Escape)}, [this] { close(); });
    book->addActions({AddItem, ChangeItem, DeleteItem});
    book->addSeparator();
    book->addAction(CloseItem);
    addActions({AddItem, ChangeItem, DeleteItem, CloseItem});
}

void AddressBookForm::FillTable(int selectRow)
{
    const auto& entries = ProgramAddressBook().Entries();
    AddressTable->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < AddressTable->rowCount(); ++row) {
        const AddressBookEntry& entry = entries[static_cast<std::size_t>(row)];
        const std::string cells[ColumnCount] = {entry.Name, AddressToText(entry.Address), entry.LastUsed,
                                                StationOf(entry.Address)};
        for (int column = 0; column < ColumnCount; ++column)
            AddressTable->setItem(row, column, new QTableWidgetItem(ToQString(cells[column])));
    }
    AddressTable->resizeColumnsToContents();
    if (AddressTable->rowCount() > 0)
        AddressTable->selectRow(std::min(selectRow, AddressTable->rowCount() - 1));
}

int AddressBookForm::SelectedRow() const
{
    const auto rows = AddressTable->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void AddressBookForm::AddEntry()
{
    AddressBookEntry entry;
    {
        QuestionScope open(this);
        if (!EditEntry(this, QStringLiteral("Новая запись"), entry))
            return;
    }
    ProgramAddressBook().Remember(entry.Name, entry.Address, "");
    Write();
}

void AddressBookForm::ChangeEntry()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    AddressBookEntry entry = ProgramAddressBook().Entries()[static_cast<std::size_t>(row)];
    {
        QuestionScope open(this);
        if (!EditEntry(this, QStringLiteral("Запись адресной книги"), entry))
            return;
    }
    ProgramAddressBook().Replace(static_cast<std::size_t>(row), entry);
    Write();
}

void AddressBookForm::DeleteEntry()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const AddressBookEntry& entry = ProgramAddressBook().Entries()[static_cast<std::size_t>(row)];
    if (Ask("Удалить из адресной книги " + entry.Name + " (" + AddressToText(entry.Address) + ")?",
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    ProgramAddressBook().Remove(static_cast<std::size_t>(row));
    Write();
}

void AddressBookForm::Write()
{
    const int row = SelectedRow();
    std::string error = ProgramAddressBook().Save();
    FillTable(std::max(row, 0));
    if (!error.empty())
        ShowError("Адресная книга не записана: " + error, this);
}
