// The pictures of the area window's navigation buttons, drawn at run time:
// arrows in the direction of the move, doubled for conversations, red where
// only new letters count.
#pragma once

#include <QIcon>

// The glyph of a navigation command (its code, as the buttons carry it).
QIcon NavigationGlyph(int command);
