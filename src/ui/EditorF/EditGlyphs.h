// The pictures of the editor's tool bar buttons, drawn at run time: a disk to
// save, a door to leave, and the clipboard commands.
#pragma once

#include <QIcon>

enum class EditGlyph { Save, Leave, Cut, Copy, Paste, Undo };

QIcon EditGlyphIcon(EditGlyph glyph);
