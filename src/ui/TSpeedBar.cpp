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
    QString caption = action->text();
    caption.remove(QLatin1Char('&'));
    AddButton(action, action->objectName(), caption, QIcon());
}

void TSpeedBar::AddButton(QAction* action, const QString& name, const QString& caption, const QIcon& icon)
{
    AllButtons.push_back({action, CurrentSection, name, caption, icon});
    QStringList names = Layout();
    names << name;
    SetLayout(names);
}

QStringList TSpeedBar::Layout() const
{
    QStringList names;
    for (QAction* action : Shown)
        for (const Button& button : AllButtons)
            if (button.Action == action)
                names << button.Name;
    return names;
}

void TSpeedBar::SetLayout(const QStringList& names)
{
    QList<QAction*> wanted;
    for (const QString& name : names) {
        for (const Button& button : AllButtons) {
            if (button.Name == name && !wanted.contains(button.Action)) {
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
        const Button* own = nullptr;
        for (const Button& button : AllButtons)
            if (button.Action == action)
                own = &button;
        // Buttons of different sections stand apart.
        if (i > 0 && own->Section != section)
            addSeparator();
        section = own->Section;
        addAction(action);
        auto* widget = qobject_cast<QToolButton*>(widgetForAction(action));
        if (!widget)
            continue;
        widget->installEventFilter(this);
        if (!own->Icon.isNull()) {
            // The button takes the action's picture whenever the action
            // changes; its own comes back after that.
            const QIcon icon = own->Icon;
            widget->setIcon(icon);
            connect(action, &QAction::changed, widget, [widget, icon] { widget->setIcon(icon); });
        }
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
    popup.ConfigureItem =
        MakeItem(owner, "ConfigureItem", QStringLiteral("&Настроить..."), QString(), {}, [this] { Configure(); });
    popup.ShowHintItem =
        MakeItem(owner, "ShowHintItem", QStringLiteral("&Показывать подсказки"), QString(), {}, [this, changed] {
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
