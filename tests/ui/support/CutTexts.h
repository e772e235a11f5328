// Finding the texts a window shows cut: a label, a button, a read-only field
// or a page tab whose text needs more room than the window gives it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTabBar>
#include <QToolButton>
#include <QWidget>

// "objectName (class): text" of every cut text among the widgets of window
// that are shown.
inline QStringList CutTexts(QWidget* window)
{
    QStringList cut;
    const auto name = [](const QWidget* widget, const QString& text) {
        return widget->objectName() + " (" + widget->metaObject()->className() + "): " + text;
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->width() <= 0)
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            const QSize room = label->contentsRect().size();
            const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                                : label->sizeHint().width() <= label->width() &&
                                                      label->minimumSizeHint().height() <= label->height();
            if (!fits || room.isEmpty())
                cut << name(label, label->text());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->text().isEmpty()) {
            auto* tool = qobject_cast<QToolButton*>(button);
            if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
                continue;
            QString text = button->text();
            text.remove(QLatin1Char('&'));
            const bool under = tool && tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon;
            const int icon = button->icon().isNull() || under ? 0 : button->iconSize().width() + 4;
            if (metrics.horizontalAdvance(text) + icon + 6 > button->width() ||
                metrics.height() > button->height())
                cut << name(button, text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            // A field being typed in scrolls sideways; none may be too low.
            const bool wide = !edit->isReadOnly() || metrics.horizontalAdvance(edit->text()) + 6 <= edit->width();
            if (!wide || metrics.height() > edit->height())
                cut << name(edit, edit->text());
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            // Tabs that do not fit are scrolled by arrows, or elided.
            for (int i = 0; i < tabs->count(); ++i) {
                QString text = tabs->tabText(i);
                text.remove(QLatin1Char('&'));
                if (!tabs->rect().contains(tabs->tabRect(i)) ||
                    metrics.horizontalAdvance(text) + 8 > tabs->tabRect(i).width())
                    cut << name(tabs, text);
            }
        }
    }
    return cut;
}

// The application's font grown by factor (1.25 and 1.5 stand for a desktop
// set to 125 % and 150 %): windows made afterwards take it.
inline void ScaleApplicationFont(const QFont& base, double factor)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * factor);
    QApplication::setFont(font);
}
