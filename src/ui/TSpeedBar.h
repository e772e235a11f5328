// A tool bar whose buttons come from a fixed set, grouped in named sections.
// The user chooses which buttons it shows and in what order (through its
// customisation dialog) and whether they show their hints; the window keeps
// that choice with its placement.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QToolBar>
#include <functional>
#include <vector>

class QAction;
class QMenu;

class TSpeedBar : public QToolBar {
    Q_OBJECT
public:
    TSpeedBar(const QString& objectName, QWidget* parent);

    struct Button {
        QAction* Action;  // what it does; it may stand in menus too
        QString Section;
        QString Name;     // names the button in the stored layout
        QString Caption;  // in the customisation dialog
        QIcon Icon;       // the button's own picture; none: the action's
    };

    // Later buttons go into this section.
    void AddSection(const QString& title);
    // Adds a button (shown) at the end of the current section, named and
    // captioned as its action.
    void AddButton(QAction* action);
    // The same with a name, caption and picture of its own (the action is a
    // menu command's, known to the menus by another name and caption; a menu
    // would make room for pictures as soon as one of its actions had one).
    void AddButton(QAction* action, const QString& name, const QString& caption, const QIcon& icon);
    const std::vector<Button>& Buttons() const { return AllButtons; }

    // The names of the shown buttons in their order.
    QStringList Layout() const;
    // Shows exactly the named buttons in this order; unknown names are
    // skipped, a name given twice counts once.
    void SetLayout(const QStringList& names);
    // The layout as stored text ("A,B,C") and back.
    QString LayoutText() const { return Layout().join(QLatin1Char(',')); }
    void SetLayoutText(const QString& text);

    bool ShowHints() const { return Hints; }
    void SetShowHints(bool show) { Hints = show; }

    // Runs the customisation dialog; true when the user changed the layout.
    bool Configure();

    // The tool bar's own context menu, the same in every window:
    // "&Настроить...", "&Показывать подсказки", "&Скрыть", "&?". changed runs
    // after the hints were switched or the bar hidden (the window brings its
    // menu checks into line).
    struct PopupMenu {
        QMenu* Menu;
        QAction* ConfigureItem;
        QAction* ShowHintItem;
        QAction* HideSpeedBar;
        QAction* HelpItem1;
    };
    PopupMenu CreatePopupMenu(QWidget* owner, std::function<void()> changed);

signals:
    void LayoutChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<Button> AllButtons;
    QString CurrentSection;
    bool Hints = true;
    QList<QAction*> Shown;
};
