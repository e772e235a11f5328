#include "ui/TSpeedBar.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QToolButton>

#include "ui/MenuItems.h"
#include "ui/TSpeedBarDialog.h"

TSpeedBar::TSpeedBar(const QString& objectName, QWidget* parent) : QToolBar(parent)
{
    setObjectName(objectName);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setMovable(false);
    setFloatable(false);
}

void TSpeedBar::AddSection(const QString& title)
{
    CurrentSection = title;
}

void TSpeedBar::AddButton(QAction* action)
{
    AllButtons.push_back({action, CurrentSection});
    QStringList names = Layout();
    names << action->objectName();
    SetLayout(names);
}

QStringList TSpeedBar::Layout() const
{
    QStringList names;
    for (QAction* action : Shown)
        names << action->objectName();
    return names;
}

void TSpeedBar::SetLayout(const QStringList& names)
{
    QList<QAction*> wanted;
    for (const QString& name : names) {
        for (const Button& button : AllButtons) {
            if (button.Action->objectName() == name && !wanted.contains(button.Action)) {
                wanted << button.Action;
                break;
            }
        }
    }
    if (wanted == Shown)
        return;
    clear();
    Shown = wanted;
    QString section;
    for (int i = 0; i < Shown.size(); ++i) {
        QAction* action = Shown[i];
        QString own;
        for (const Button& button : AllButtons)
            if (button.Action == action)
                own = button.Section;
        // Buttons of different sections stand apart.
        if (i > 0 && own != section)
            addSeparator();
        section = own;
        addAction(action);
        if (QWidget* widget = widgetForAction(action))
            widget->installEventFilter(this);
    }
    emit LayoutChanged();
}

void TSpeedBar::SetLayoutText(const QString& text)
{
    SetLayout(text.split(QLatin1Char(','), Qt::SkipEmptyParts));
}

bool TSpeedBar::Configure()
{
    TSpeedBarDialog dialog(this, parentWidget());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QStringList before = Layout();
    SetLayout(dialog.ChosenLayout());
    return Layout() != before;
}

bool TSpeedBar::eventFilter(QObject* watched, QEvent* event)
{
    // The buttons' tool tips, only while hints are on.
    if (event->type() == QEvent::ToolTip && !Hints)
        return true;
    return QToolBar::eventFilter(watched, event);
}

TSpeedBar::PopupMenu TSpeedBar::CreatePopupMenu(QWidget* owner, std::function<void()> changed)
{
    PopupMenu popup{};
    popup.Menu = new QMenu(owner);
    popup.Menu->setObjectName(QStringLiteral("SpeedBarPopupMenu"));
    popup.ConfigureItem = MakeItem(owner, "ConfigureItem", QStringLiteral("&Настроить..."), QString(), {},
                                   [this] { Configure(); });
    popup.ShowHintItem = MakeItem(owner, "ShowHintItem", QStringLiteral("&Показывать подсказки"), QString(), {},
                                  [this, changed] {
                                      SetShowHints(!ShowHints());
                                      changed();
                                  });
    popup.ShowHintItem->setCheckable(true);
    popup.HideSpeedBar = MakeItem(owner, "HideSpeedBar", QStringLiteral("&Скрыть"), QString(), {}, [this, changed] {
        hide();
        changed();
    });
    popup.HelpItem1 = MakeItem(owner, "HelpItem1", QStringLiteral("&?"), QString(), {}, nullptr);
    for (QAction* item : {popup.ConfigureItem, popup.ShowHintItem, popup.HideSpeedBar, popup.HelpItem1})
        popup.Menu->addAction(item);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this, menu = popup.Menu](const QPoint& pos) { menu->popup(mapToGlobal(pos)); });
    return popup;
}
