#include "ui/FormWindow.h"

#include <QCloseEvent>
#include <QEvent>

FormWindow::FormWindow(QWidget* parent) : QMainWindow(parent)
{
    RegisterForm(this);
}

FormWindow::~FormWindow()
{
    UnregisterForm(this);
}

intptr_t FormWindow::ModelMessage(unsigned, void*)
{
    return 0;
}

std::vector<FormWindow*> FormWindow::AllForms()
{
    std::vector<FormWindow*> forms;
    for (TModelForm* form : Forms())
        if (auto* window = dynamic_cast<FormWindow*>(form))
            forms.push_back(window);
    return forms;
}

void FormWindow::ShowAndSwitchTo(QWidget* window)
{
    if (!window)
        return;
    if (window->isMinimized()) {
        const auto* form = qobject_cast<const FormWindow*>(window);
        if (form ? form->RestoresMaximized() : window->isMaximized())
            window->showMaximized();
        else
            window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}

void FormWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ActivateForm(this);
    QMainWindow::changeEvent(event);
}

bool FormWindow::CloseAnswered()
{
    Answered = true;
    bool closed = close();
    Answered = false;
    return closed;
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (Answered || CloseQuery())
        event->accept();
    else
        event->ignore();
}
