#include "ui/WndListF/TWindowListForm.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVariant>
#include <QVBoxLayout>

#include "ui/FormWindow.h"

TWindowListForm::TWindowListForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Список окон"));
    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    Button1 = new QPushButton(QStringLiteral("ОК"), this);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button3 = new QPushButton(QStringLiteral("Помощь"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button3->setObjectName(QStringLiteral("Button3"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {Button1, Button2, Button3}) {
        button->setMinimumWidth(75);
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(ListBox, 1);
    layout->addLayout(buttons);
    // A fixed dialog border, the size the texts need (at least the list's own).
    setFixedSize(sizeHint().expandedTo(QSize(407, 205)));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    FillList();
    ListBox->setFocus();
}

void TWindowListForm::FillList()
{
    ListBox->clear();
    for (FormWindow* form : FormWindow::AllForms()) {
        if (!form->isVisible())
            continue;
        auto* item = new QListWidgetItem(form->windowTitle(), ListBox);
        item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(form));
    }
    // The window that was active before the list opened stands second.
    ListBox->setCurrentRow(ListBox->count() >= 2 ? 1 : 0);
}

QWidget* TWindowListForm::SelectedWindow() const
{
    QListWidgetItem* item = ListBox->currentItem();
    return item ? qobject_cast<QWidget*>(item->data(Qt::UserRole).value<QObject*>()) : nullptr;
}

void TWindowListForm::Execute(QWidget* parent)
{
    TWindowListForm dialog(parent);
    if (dialog.exec() == QDialog::Accepted)
        FormWindow::ShowAndSwitchTo(dialog.SelectedWindow());
}
