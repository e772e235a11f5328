// What the model tests share: the recorder of the model's events, and
// writing letters into a base through the message base interface.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/TArea.h"
#include "msgbase/MsgBase.h"
#include "support/EventRecorder.h"
#include "support/LetterWriter.h"

// A memory base spec no other test uses ("M" + a fresh name).
std::string FreshMemorySpec();

// A letter made by hand for tests that need no base; the area takes it over
// with InstallLetters (or AddLetter).
TLetter* MakeLetter(TArea& area, Num number, Num replyTo, const std::string& subject, const std::string& from,
                    DateTime date, bool unread);
// Hands letters made by MakeLetter to the area (InstallLetters).
void InstallLetters(TArea& area, const std::vector<TLetter*>& letters);
