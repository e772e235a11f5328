// What the program's three kinds of windows (areas, area, editor) share: they
// are top-level main windows that receive the model's messages, and the one
// most recently activated stands first in the application's form order (the
// window list and "topmost window" commands go by that order).
#pragma once

#include <QMainWindow>

#include "core/FormRegistry.h"

class TArea;

class FormWindow : public QMainWindow, public TModelForm {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);
    ~FormWindow() override;

    intptr_t ModelMessage(unsigned msg, void* param) override;

    // Whether the window may close now (an editor with an unsaved letter asks
    // the user). Every close runs it, unless the question was already asked.
    virtual bool CloseQuery() { return true; }
    // Closes the window whose CloseQuery has just allowed it, without asking
    // again. Returns whether it closed.
    bool CloseAnswered();
    // The area whose letters this window browses (area windows), or nullptr.
    virtual TArea* BrowsedArea() const { return nullptr; }
    // The area whose letter this window edits (editor windows), or nullptr.
    virtual TArea* EditedArea() const { return nullptr; }

    // The open program windows in application order (most recently active first).
    static std::vector<FormWindow*> AllForms();
    // Shows a window (restoring it when minimised, maximised when it was) and
    // switches to it.
    static void ShowAndSwitchTo(QWidget* window);
    // Whether the window, once minimised, comes back maximised.
    virtual bool RestoresMaximized() const { return isMaximized(); }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool Answered = false;
};
