#include "msgbase/MsgBase.h"

#include <stdexcept>

#include "core/CodePage.h"

namespace {

[[noreturn]] void NotInThisFormat(const char* operation)
{
    throw std::logic_error(std::string(operation) + " is not supported by this message base format");
}

}  // namespace

bool MsgBase::LockBase() { NotInThisFormat("LockBase"); }
bool MsgBase::UnlockBase() { NotInThisFormat("UnlockBase"); }
void MsgBase::SetCost(uint16_t) { NotInThisFormat("SetCost"); }
uint16_t MsgBase::GetCost() { NotInThisFormat("GetCost"); }
void MsgBase::SetNextReply(Num) { NotInThisFormat("SetNextReply"); }
void MsgBase::SetEcho(bool) { NotInThisFormat("SetEcho"); }

Num MsgBase::GetNextReply() { return 0; }
uint16_t MsgBase::GetBoard() { return 0; }
Num MsgBase::GetDisplayNumber() { return GetNumber(); }
bool MsgBase::LineWasWrapped() { return LastLineWrapped; }
Status MsgBase::HeaderStatus() const { return 0; }

void MsgBase::WriteText(const std::string& text)
{
    for (char ch : text)
        WriteChar(ch);
}

void MsgBase::WriteLine(const std::string& text)
{
    WriteText(text);
    WriteChar('\r');
}

void MsgBase::WriteKludge(const std::string& line)
{
    WriteLine(line);
}

std::string MsgBase::ReadLine(uint16_t maxLen)
{
    bool previousWrapped = LastLineWrapped;
    LastLineWrapped = true;
    std::string line;
    if (TextEnded())
        return line;

    std::size_t wrapCount = 0;   // line length up to and including the last space
    int64_t wrapPos = -1;        // reading position just after that space
    bool ended = false;
    while (line.size() < maxLen) {
        if (TextEnded()) {
            ended = true;
            break;
        }
        char ch = ReadChar();
        if (ch == '\0' && TextEnded()) {
            ended = true;
            break;
        }
        if (ch == '\n' || ch == SoftCarriageReturn || ch == '\0')
            continue;
        if (ch == '\r') {
            LastLineWrapped = false;
            return OemToAnsiText(line);
        }
        if (ch == ' ') {
            if (line.empty() && previousWrapped) {
                previousWrapped = false;  // one leading blank of a continuation is dropped
                continue;
            }
            line += ch;
            wrapCount = line.size();
            wrapPos = GetTextPos();
            continue;
        }
        line += ch;
    }
    if (!ended && wrapPos >= 0) {
        line.resize(wrapCount);
        SetTextPos(wrapPos);
    }
    return OemToAnsiText(line);
}

std::string MsgBase::ReadPlainLine(uint16_t maxLen)
{
    std::string line = ReadLine(maxLen);
    while (!line.empty() && line[0] == KludgeMark && !TextEnded())
        line = ReadLine(maxLen);
    return line;
}

Num MsgBase::GetHighActiveNumber()
{
    SeekFirst(GetHighNumber());
    if (!SeekFound())
        SeekPrior();
    return SeekFound() ? GetNumber() : 0;
}
