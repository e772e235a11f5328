#include "core/Startup.h"

#include "core/FlagFile.h"
#include "core/OsFiles.h"

#include <utility>

std::string TossingFlagFile;
std::string AreasFileName;
std::string HudsonPath;
bool TosserWasRunning = false;

namespace {

bool ApplicationTerminating = false;

// The last look at the flag: which flag, what it said, when.
struct FlagLook {
    std::string Path;
    bool Running = false;
    bool Unexaminable = false;
    std::chrono::steady_clock::time_point At{};
    bool Valid = false;
} LastLook;

std::function<std::chrono::steady_clock::time_point()> TosserClock;

std::chrono::steady_clock::time_point Now()
{
    return TosserClock ? TosserClock() : std::chrono::steady_clock::now();
}

}  // namespace

const std::string& UsageMessage()
{
    static const std::string message(
        "Ты забыл параметры:\r"
        "  <Полное имя флажка \"идёт tossing\">\r"
        "  <там\\далеко\\areas.bbs>   - области в формате, выдаваемом FESetup/XA\r"
        "  <если нужно путь к Hudson>");
    return message;
}

bool CheckParameters(const std::vector<std::string>& params,
                     const std::function<void(const std::string&)>& showMessage)
{
    if (params.size() < 2) {
        showMessage(UsageMessage());
        return false;
    }
    TossingFlagFile = params[0];
    AreasFileName = params[1];
    HudsonPath = params.size() > 2 ? params[2] : std::string();
    return true;
}

bool TosserRunning()
{
    const FlagState state = TossingFlagFile.empty() ? FlagState::Absent : LookAtFlag(TossingFlagFile);
    LastLook = {TossingFlagFile, state != FlagState::Absent, state == FlagState::Unexaminable, Now(), true};
    return LastLook.Running;
}

bool TosserFlagUnexaminable()
{
    return LastLook.Valid && LastLook.Unexaminable;
}

std::string TosserStatusText()
{
    return TosserFlagUnexaminable() ? "[Флажок эхопроцессора не проверить: считаю, что он работает]"
                                    : "[Работает эхопроцессор]";
}

bool TosserRunningLately()
{
    // A clock read per letter; the flag itself only now and then.
    if (LastLook.Valid && LastLook.Path == TossingFlagFile && Now() - LastLook.At < TosserCheckInterval)
        return LastLook.Running;
    return TosserRunning();
}

bool StopRequested()
{
    return ApplicationTerminating || TosserRunningLately();
}

bool StopRequestedNow()
{
    return ApplicationTerminating || TosserRunning();
}

void SetTosserCheckClock(std::function<std::chrono::steady_clock::time_point()> now)
{
    TosserClock = std::move(now);
    LastLook.Valid = false;
}

void SetApplicationTerminating(bool terminating)
{
    ApplicationTerminating = terminating;
}

bool ApplicationIsTerminating()
{
    return ApplicationTerminating;
}

bool TosserStateChanged()
{
    bool running = TosserRunning();
    if (running == TosserWasRunning)
        return false;
    TosserWasRunning = running;
    return true;
}

std::string SettingsKey()
{
    return std::string("Software\\Tressik\\Quorvel\\") + std::string(ProgramVersion).substr(0, 4);
}
