#include "ui/TSpeedBarDialog.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/TSpeedBar.h"

TSpeedBarDialog::TSpeedBarDialog(const TSpeedBar* bar, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Настройка панели инструментов"));
    auto* label = new QLabel(QStringLiteral("&Кнопки (отмеченные видны на панели):"), this);
    ButtonsList = new QListWidget(this);
    ButtonsList->setObjectName(QStringLiteral("ButtonsList"));
    label->setBuddy(ButtonsList);

    const QStringList shown = bar->Layout();
    auto addLine = [this](const TSpeedBar::Button& button, bool checked) {
        auto* item = new QListWidgetItem(button.Icon.isNull() ? button.Action->icon() : button.Icon, button.Caption,
                                         ButtonsList);
        item->setData(Qt::UserRole, button.Name);
        item->setToolTip(button.Section);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    };
    for (const QString& name : shown)
        for (const TSpeedBar::Button& button : bar->Buttons())
            if (button.Name == name)
                addLine(button, true);
    for (const TSpeedBar::Button& button : bar->Buttons())
        if (!shown.contains(button.Name))
            addLine(button, false);
    ButtonsList->setCurrentRow(0);

    UpButton = new QPushButton(QStringLiteral("&Выше"), this);
    DownButton = new QPushButton(QStringLiteral("&Ниже"), this);
    OKButton = new QPushButton(QStringLiteral("ОК"), this);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    UpButton->setObjectName(QStringLiteral("UpButton"));
    DownButton->setObjectName(QStringLiteral("DownButton"));
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OKButton->setDefault(true);
    connect(UpButton, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(DownButton, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(UpButton);
    side->addWidget(DownButton);
    side->addStretch();
    side->addWidget(OKButton);
    side->addWidget(CancelButton);
    auto* body = new QHBoxLayout;
    body->addWidget(ButtonsList, 1);
    body->addLayout(side);
    auto* all = new QVBoxLayout(this);
    all->addWidget(label);
    all->addLayout(body);
    resize(360, 240);
}

QStringList TSpeedBarDialog::ChosenLayout() const
{
    QStringList names;
    for (int i = 0; i < ButtonsList->count(); ++i)
        if (ButtonsList->item(i)->checkState() == Qt::Checked)
            names << ButtonsList->item(i)->data(Qt::UserRole).toString();
    return names;
}

void TSpeedBarDialog::MoveSelected(int direction)
{
    int row = ButtonsList->currentRow();
    int target = row + (direction < 0 ? -1 : 1);
    if (row < 0 || target < 0 || target >= ButtonsList->count())
        return;
    QListWidgetItem* item = ButtonsList->takeItem(row);
    ButtonsList->insertItem(target, item);
    ButtonsList->setCurrentRow(target);
}
