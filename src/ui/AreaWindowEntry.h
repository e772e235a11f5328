// How the areas window opens an area's own window. The area window installs
// its factory at start-up; until one is installed, entering an area loads its
// letters and makes it the current area, and nothing more.
#pragma once

#include <functional>

class FormWindow;
class TArea;

// Makes and shows the window of an area whose letters are loaded; it opens
// the area itself (ECantOpenArea reaches the user, and no window remains).
using AreaWindowFactory = std::function<FormWindow*(TArea* area)>;

void SetAreaWindowFactory(AreaWindowFactory factory);
const AreaWindowFactory& CurrentAreaWindowFactory();

// The open window browsing this area, or nullptr.
FormWindow* FindAreaWindow(const TArea* area);
