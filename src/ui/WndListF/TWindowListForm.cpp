#include "ui/WndListF/TWindowListForm.h"

#include <QListWidget>
#include <QPushButton>
#include <QVariant>

#include "ui/FormWindow.h"

TWindowListForm::TWindowListForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Список окон"));
    setFixedSize(407, 205);
    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setGeometry(8, 8, 393, 153);
    Button1 = new QPushButton(QStringLiteral("ОК"), this);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button3 = new QPushButton(QStringLiteral("Помощь"), this);
    Button1->setGeometry(150, 170, 75, 25);
    Button2->setGeometry(233, 170, 75, 25);
    Button3->setGeometry(316, 170, 75, 25);
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
