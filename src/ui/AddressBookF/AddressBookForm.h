// "Адресная книга": the user's address book as a table (name, address, the
// date of the last netmail, and the station the nodelist names at that
// address), with commands to add, change and delete entries. Every change is
// written at once. One window for the whole program.
#pragma once

#include "ui/FormWindow.h"

class QAction;
class QTableWidget;

class AddressBookForm : public FormWindow {
    Q_OBJECT
public:
    AddressBookForm();

    // Shows the window, making it when there is none.
    static void ShowAddressBook();

protected:
    void changeEvent(QEvent* event) override;

private:
    QTableWidget* AddressTable = nullptr;
    QAction* AddItem = nullptr;
    QAction* ChangeItem = nullptr;
    QAction* DeleteItem = nullptr;
    QAction* CloseItem = nullptr;

    void CreateMenus();
    void FillTable(int selectRow = 0);
    int SelectedRow() const;
    void AddEntry();
    void ChangeEntry();
    void DeleteEntry();
    // Writes the book; an error is shown.
    void Write();
};
