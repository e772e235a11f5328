// Completion of a netmail letter's recipient: typing in the name field
// ("Кому:") or the address field ("Адрес:") opens a list of the stations
// and address book entries that match what is typed (name words in any
// order, Cyrillic for Latin names, or an address prefix); choosing a row
// fills both fields.
#pragma once

#include <QObject>

class QCompleter;
class QLineEdit;
class QModelIndex;
class QStandardItemModel;

class AddressCompletion : public QObject {
    Q_OBJECT
public:
    // Rows offered at most, address book entries first.
    static constexpr int MaxRows = 30;
    // Characters typed before anything is offered.
    static constexpr int MinTyped = 2;

    AddressCompletion(QLineEdit* nameEdit, QLineEdit* addressEdit);

protected:
    // While the list is open, its keys (Enter, Esc, the arrows) are the
    // list's, not the window's commands.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Offer(QLineEdit* field, const QString& text);
    void Choose(const QModelIndex& index);

    QLineEdit* NameEdit;
    QLineEdit* AddressEdit;
    QStandardItemModel* Rows;
    QCompleter* Completer;
};
