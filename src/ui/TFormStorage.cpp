#include "ui/TFormStorage.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdio>

#include "core/Registry.h"
#include "core/Startup.h"
#include "core/StringHelpers.h"
#include "settings/QtText.h"
#include "ui/TSpeedBar.h"

namespace {

// The show states as the stored placement names them.
constexpr int ShowNormal = 1;
constexpr int ShowMinimized = 2;
constexpr int ShowMaximized = 3;
constexpr int RestoreToMaximized = 2;  // Flags: a minimised window comes back maximised

// A stored rectangle moved (and if need be shrunk) onto a screen that exists
// now: the monitor it was on may be gone.
QRect OntoScreen(QRect rect)
{
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return rect;
    const QRect area = screen->availableGeometry();
    if (rect.width() > area.width())
        rect.setWidth(area.width());
    if (rect.height() > area.height())
        rect.setHeight(area.height());
    if (rect.right() > area.right())
        rect.moveRight(area.right());
    if (rect.bottom() > area.bottom())
        rect.moveBottom(area.bottom());
    if (rect.left() < area.left())
        rect.moveLeft(area.left());
    if (rect.top() < area.top())
        rect.moveTop(area.top());
    return rect;
}

// A stored rectangle that a window can take: not empty, and coordinates no
// screen arrangement comes near to are taken for damage.
bool PlausibleRect(const int rect[4])
{
    constexpr int limit = 1 << 20;
    for (int i = 0; i < 4; ++i)
        if (rect[i] <= -limit || rect[i] >= limit)
            return false;
    return rect[2] > rect[0] && rect[3] > rect[1];
}

}  // namespace

std::string BoolText(bool value)
{
    return value ? "1" : "0";
}

bool TextBool(const std::string& text, bool fallback)
{
    const std::string upper = UpperAscii(StripBoth(text, ' '));
    if (upper == "1" || upper == "TRUE")
        return true;
    if (upper == "0" || upper == "FALSE")
        return false;
    return fallback;
}

TFormStorage::TFormStorage(QWidget* window, const std::string& section) : Window(window), Section(section) {}

std::string TFormStorage::Key() const
{
    return SettingsKey() + "\\" + Section;
}

void TFormStorage::AddProperty(const std::string& name, std::function<std::string()> get,
                               std::function<void(const std::string&)> set)
{
    Properties.push_back({name, std::move(get), std::move(set)});
}

void TFormStorage::AddBoolProperty(const std::string& name, std::function<bool()> get, std::function<void(bool)> set)
{
    AddProperty(
        name, [get] { return BoolText(get()); },
        [get, set](const std::string& text) { set(TextBool(text, get())); });
}

void TFormStorage::AddSpeedBar(TSpeedBar* bar)
{
    Bars.push_back(bar);
}

bool TFormStorage::Read(const std::string& name, std::string& value) const
{
    return UserRegistry().ReadString(Key(), name, value);
}

void TFormStorage::Write(const std::string& name, const std::string& value) const
{
    UserRegistry().WriteString(Key(), name, value);
}

bool TFormStorage::ParseFour(const std::string& text, int values[4])
{
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos))
            return false;
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int32_t value = 0;
        if (!TryStrToInt(StripBoth(part, ' '), value))
            return false;
        values[i] = value;
        start = comma + 1;
    }
    return true;
}

std::string TFormStorage::FormatFour(const int values[4])
{
    return Format("%d,%d,%d,%d", values[0], values[1], values[2], values[3]);
}

bool TFormStorage::Show(Qt::WindowState defaultState)
{
    Qt::WindowState state = defaultState;
    bool found = false;
    std::string text;
    int rect[4];
    if (Read("NormPos", text) && ParseFour(text, rect) && PlausibleRect(rect)) {
        Window->setGeometry(OntoScreen(QRect(QPoint(rect[0], rect[1]), QPoint(rect[2] - 1, rect[3] - 1))));
        found = true;
    }
    int32_t showCmd = 0;
    if (Read("ShowCmd", text) && TryStrToInt(text, showCmd)) {
        int32_t flags = 0;
        if (Read("Flags", text))
            TryStrToInt(text, flags);
        found = true;
        // A window left minimised comes back as it was before it was minimised.
        if (showCmd == ShowMaximized || (showCmd == ShowMinimized && (flags & RestoreToMaximized)))
            state = Qt::WindowMaximized;
        else
            state = Qt::WindowNoState;
    }
    for (const Property& property : Properties)
        if (Read(property.Name, text))
            property.Set(text);
    for (TSpeedBar* bar : Bars)
        if (Read(FromQString(bar->objectName()) + ".Buttons", text))
            bar->SetLayoutText(ToQString(text));

    if (state == Qt::WindowMaximized)
        Window->showMaximized();
    else
        Window->showNormal();
    return found;
}

void TFormStorage::Save()
{
    UserRegistry().CreateKey(Key());
    const Qt::WindowStates states = Window->windowState();
    int showCmd = ShowNormal;
    int flags = 0;
    if (states & Qt::WindowMinimized) {
        showCmd = ShowMinimized;
        if (states & Qt::WindowMaximized)
            flags = RestoreToMaximized;
    } else if (states & Qt::WindowMaximized) {
        showCmd = ShowMaximized;
    }
    QRect normal = Window->normalGeometry();
    if (!normal.isValid())
        normal = Window->geometry();
    const int minMax[4] = {-1, -1, -1, -1};
    const int norm[4] = {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
    Write("Flags", IntToText(flags));
    Write("ShowCmd", IntToText(showCmd));
    Write("MinMaxPos", FormatFour(minMax));
    Write("NormPos", FormatFour(norm));
    for (const Property& property : Properties)
        Write(property.Name, property.Get());
    for (TSpeedBar* bar : Bars)
        Write(FromQString(bar->objectName()) + ".Buttons", FromQString(bar->LayoutText()));
}
