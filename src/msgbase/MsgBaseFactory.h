// Choosing a message base format by the base string of the areas file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "msgbase/MsgBase.h"

// The first character (either case) chooses the format: F *.MSG, H Hudson,
// J JAM, S Squish; the rest, whatever its length, goes to SetBasePath.
// nullptr for any other character.
std::unique_ptr<MsgBase> CreateBaseFor(const std::string& spec);

// Adds a format under another letter (an upper-case letter that no built-in
// format uses): test bases, or a format kept outside this library.
using BaseMaker = std::function<std::unique_ptr<MsgBase>()>;
void RegisterBaseFormat(char letter, BaseMaker maker);
