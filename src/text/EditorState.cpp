#include "text/EditorState.h"

#include "model/Session.h"
#include "model/TArea.h"

TLetter* FindAnsweredLetter(const EditorState& editor)
{
    if (editor.Mode == NewLetterMode || !editor.Area)
        return nullptr;
    return editor.Area->FindByKey(editor.AnsweredKey);
}

void ReadAnsweredText(EditorState& editor, TLetter& letter)
{
    // StillValid leaves the base on the letter with its header loaded: the
    // text is read from there, and the header's addresses are the last
    // source of FromAddr and ToAddr.
    if (!letter.StillValid())
        throw ELetterNotFound(letter.Number);
    TLetterText read = letter.ReadLetter();
    TFormattedStrings text;
    text.Lines = std::move(read.Lines);
    text.ReFormat(false, 79, 0, nullptr, letter.Area->Base.get(),
                  letter.Area->Owner.Settings.MainAddress);
    editor.AnsweredText = std::move(text);
    editor.AnsweredFrom = std::move(read.From);
    editor.AnsweredTo = std::move(read.To);
    editor.AnsweredSubject = std::move(read.Subject);
    editor.AnsweredCharset = read.Set;
}
