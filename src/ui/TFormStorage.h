// Keeps a window's placement, a few chosen properties and its tool bars'
// layouts in the settings store, in the section SettingsKey()\<class name>:
//   Flags      0, or 2 when a minimised window was maximised before
//   ShowCmd    1 normal, 2 minimised, 3 maximised
//   MinMaxPos  "%d,%d,%d,%d": the minimised and maximised positions (-1 = the
//              system's choice, the only kind this platform has)
//   NormPos    "%d,%d,%d,%d": the normal rectangle left, top, right, bottom
//   <property> each stored property by its name ("SpeedBar.Visible" = "1")
//   <bar>.Buttons  the names of a tool bar's shown buttons, comma-separated
// The window is shown through Show, which restores the section first, and
// calls Save when it closes.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;
class TSpeedBar;

class TFormStorage {
public:
    // section is the window's class name.
    TFormStorage(QWidget* window, const std::string& section);

    // The settings key of the section.
    std::string Key() const;

    void AddProperty(const std::string& name, std::function<std::string()> get,
                     std::function<void(const std::string&)> set);
    void AddBoolProperty(const std::string& name, std::function<bool()> get, std::function<void(bool)> set);
    void AddSpeedBar(TSpeedBar* bar);

    // Shows the window for the first time: the stored placement, or
    // defaultState (normal or maximised) when none is stored; then the stored
    // properties and tool bar layouts. Returns whether a placement was found.
    bool Show(Qt::WindowState defaultState);
    // Writes the placement, the properties and the tool bar layouts.
    void Save();

    // The placement texts (the format "%d,%d,%d,%d"); false for anything else.
    static bool ParseFour(const std::string& text, int values[4]);
    static std::string FormatFour(const int values[4]);

private:
    struct Property {
        std::string Name;
        std::function<std::string()> Get;
        std::function<void(const std::string&)> Set;
    };
    QWidget* Window;
    std::string Section;
    std::vector<Property> Properties;
    std::vector<TSpeedBar*> Bars;

    bool Read(const std::string& name, std::string& value) const;
    void Write(const std::string& name, const std::string& value) const;
};

// Stored booleans: "1" and "0" (also reads "True" and "False").
std::string BoolText(bool value);
bool TextBool(const std::string& text, bool fallback);
