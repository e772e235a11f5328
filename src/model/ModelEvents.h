// What the model tells the windows, as one method per event. The model never
// calls a window: it tells every registered observer, and each overrides the
// events that concern it (the rest do nothing). Events about one area pass
// that area; an observer that shows one area compares it with its own.
//
// The observers are kept in application order: a new one joins at the end,
// activation moves it to the front, so the list runs from the most recently
// active window. Events go out synchronously, in that order; an observer may
// itself change the model (and so be told of further events) meanwhile.
#pragma once

#include <vector>

class TArea;

class ModelObserver {
public:
    virtual ~ModelObserver() = default;

    virtual void AreasChanged() { }  // the areas list reloaded or re-sorted
    virtual void ScanStarted() { }
    virtual void AreaScanned(TArea&) { }  // after each area of a scan, loaded or not
    virtual void ScanFinished() { }       // at the end of every scan, also a failed one
    virtual void LettersLoading(TArea&) { }
    virtual void LettersChanged(TArea&) { }  // loaded, or a letter joined or left
    virtual void CurrentAreaChanged() { }
    virtual void CurrentLetterChanged(TArea&) { }
    virtual void AreaOpened(TArea&) { }
    virtual void AreaClosed(TArea&) { }     // the last close of the area's base
    virtual void AreaDestroyed(TArea&) { }  // the area is about to be freed
    virtual void CountsChanged(TArea&) { }  // its unread or read count

    // The area's window wants to close: true when this observer keeps the
    // area in use (an editor writing into it whose user chose to stay).
    virtual bool QueryCloseArea(TArea&) { return false; }
};

void RegisterForm(ModelObserver* form);
void UnregisterForm(ModelObserver* form);
// Moves the form to the front of the order.
void ActivateForm(ModelObserver* form);
const std::vector<ModelObserver*>& Forms();
bool IsRegisteredForm(const ModelObserver* form);

// Tells every form in order, e.g. NotifyForms(&ModelObserver::AreaOpened, area).
// A form that unregisters during the pass (a window that closes) is not told
// afterwards.
template <class... Params, class... Args> void NotifyForms(void (ModelObserver::*event)(Params...), Args&&... args)
{
    const std::vector<ModelObserver*> snapshot = Forms();
    for (ModelObserver* form : snapshot)
        if (IsRegisteredForm(form))
            (form->*event)(args...);
}

// Asks the forms in order until one answers true, and returns true then;
// false when every form answered false. The forms after the first that
// answers are not asked.
template <class... Params, class... Args> bool QueryForms(bool (ModelObserver::*question)(Params...), Args&&... args)
{
    const std::vector<ModelObserver*> snapshot = Forms();
    for (ModelObserver* form : snapshot)
        if (IsRegisteredForm(form) && (form->*question)(args...))
            return true;
    return false;
}
