#include "ui/EditorF/AddressCompletion.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QScrollBar>
#include <QLineEdit>
#include <QStandardItemModel>
#include <algorithm>

#include "settings/QtText.h"
#include "ui/Nodelists.h"

namespace {

constexpr int NameRole = Qt::UserRole;
constexpr int AddressRole = Qt::UserRole + 1;

QStandardItem* Row(const std::string& name, const FidoAddress& address, const std::string& detail)
{
    const std::string addressText = AddressToText(address);
    auto* item = new QStandardItem(ToQString(name + "  " + addressText + (detail.empty() ? "" : "  " + detail)));
    item->setData(ToQString(name), NameRole);
    item->setData(ToQString(addressText), AddressRole);
    return item;
}

std::string StationDetail(const NodeEntry& entry)
{
    std::string detail = entry.Station();
    if (!entry.Status().empty())
        detail += (detail.empty() ? "" : ", ") + std::string(entry.Status());
    return detail.empty() ? detail : "(" + detail + ")";
}

}  // namespace

AddressCompletion::AddressCompletion(QLineEdit* nameEdit, QLineEdit* addressEdit)
    : QObject(nameEdit), NameEdit(nameEdit), AddressEdit(addressEdit), Rows(new QStandardItemModel(this)),
      Completer(new QCompleter(this))
{
    Completer->setObjectName(QStringLiteral("AddressCompleter"));
    Completer->setModel(Rows);
    Completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    Completer->setMaxVisibleItems(12);
    for (QLineEdit* field : {NameEdit, AddressEdit})
        connect(field, &QLineEdit::textEdited, this, [this, field](const QString& text) { Offer(field, text); });
    connect(Completer, QOverload<const QModelIndex&>::of(&QCompleter::activated), this,
            [this](const QModelIndex& index) { Choose(index); });
    for (QObject* watched : {static_cast<QObject*>(NameEdit), static_cast<QObject*>(AddressEdit),
                             static_cast<QObject*>(Completer->popup())})
        watched->installEventFilter(this);
}

bool AddressCompletion::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && Completer->popup()->isVisible()) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: event->accept(); return true;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void AddressCompletion::Offer(QLineEdit* field, const QString& text)
{
    Rows->clear();
    const std::string query = FromQString(text.trimmed());
    if (text.trimmed().size() >= MinTyped) {
        for (const AddressBookEntry& entry : ProgramAddressBook().Lookup(query)) {
            if (Rows->rowCount() >= MaxRows)
                break;
            Rows->appendRow(Row(entry.Name, entry.Address, "(адресная книга)"));
        }
        auto lists = CurrentNodelists();
        for (const NodeEntry& entry : lists->Index.Lookup(query, MaxRows - Rows->rowCount()))
            Rows->appendRow(Row(entry.Sysop, entry.Address, StationDetail(entry)));
    }
    if (Rows->rowCount() == 0) {
        Completer->popup()->hide();
        return;
    }
    Completer->setWidget(field);
    // The rows whole, however narrow the field.
    QAbstractItemView* popup = Completer->popup();
    int widest = 0;
    for (int row = 0; row < Rows->rowCount(); ++row)
        widest = std::max(widest, popup->fontMetrics().horizontalAdvance(Rows->item(row)->text()));
    QRect place = field->rect();
    place.setWidth(std::max(place.width(), widest + popup->verticalScrollBar()->sizeHint().width() + 16));
    Completer->complete(place);
}

void AddressCompletion::Choose(const QModelIndex& index)
{
    NameEdit->setText(index.data(NameRole).toString());
    AddressEdit->setText(index.data(AddressRole).toString());
}
