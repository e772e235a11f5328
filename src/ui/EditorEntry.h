// How an area window opens an editor for a letter command. The editor window
// installs its factory at start-up; until one is installed the commands new,
// change, reply and comment only mark the current letter read.
#pragma once

#include <functional>

// The letter commands that open an editor are the editor's modes (new,
// change, reply, comment), numbered as the area window's menu items carry them.
#include "text/EditorState.h"

class FormWindow;
class TArea;

// Makes and shows an editor on the area (open while its window is) in a mode;
// the answered or changed letter is the area's current letter.
using EditorWindowFactory = std::function<FormWindow*(TArea* area, int mode)>;

void SetEditorWindowFactory(EditorWindowFactory factory);
const EditorWindowFactory& CurrentEditorWindowFactory();

// Opens an editor through the installed factory; nullptr without one.
FormWindow* OpenEditor(TArea* area, int mode);
