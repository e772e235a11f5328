// The text an editor starts with, made the first time the user enters its
// text field: for a new letter, a reply or a comment the user's template with
// its tokens expanded and the answered letter quoted, then the tear line and
// the origin line (not in netmail); for a changed letter its own text.
#pragma once

#include <string>
#include <vector>

#include "core/DateHelpers.h"
#include "core/UserSettings.h"
#include "text/EditorState.h"
#include "text/Templates.h"

class TLetter;

// The 24 token values: the user (name, main address, now), the area, the
// answered letter (its header and the addresses of its prepared text) and the
// editor's recipient fields. The answered letter's values (OAddr .. DName)
// are empty without an answered letter.
TokenValueList TokenValues(const UserSettings& settings, const EditorState& editor, const TLetter* answered,
                           DateTime now);

// The user's template for a mode: the new-letter template for a new letter,
// the quote/reply template for a reply or a comment.
const std::vector<std::string>& TemplateFor(const UserSettings& settings, int mode);

// The template lines expanded for the editor: its token values, and the
// answered letter's prepared text quoted at "@Position" (nothing for a new
// letter). PrepareText expands the whole template for the mode this way.
std::vector<std::string> ExpandEditorTemplate(const UserSettings& settings, const EditorState& editor,
                                              const std::vector<std::string>& templateLines, DateTime now);

// "--- Quorvel 2.00.84".
std::string TearLine();
// " * Origin: <the fixed origin text> (<the user's main address>)".
std::string OriginLine(const UserSettings& settings);
// The lines that close a letter the editor prepares: the tear line, then the
// origin line (an echomail line: netmail carries none).
std::vector<std::string> ClosingLines(const UserSettings& settings, const EditorState& editor);

// The lines the editor's text field starts with. The answered letter is
// looked up again by its key: when it has gone, its token values are empty
// (its prepared text is still quoted). A changed letter gets its prepared
// text back unchanged, without tear or origin line added.
std::vector<std::string> PrepareText(const UserSettings& settings, const EditorState& editor,
                                     DateTime now = NowDateTime());
