#include "core/Startup.h"

#include "core/CodePage.h"
#include "core/FlagFile.h"
#include "core/OsFiles.h"

std::string TossingFlagFile;
std::string AreasFileName;
std::string HudsonPath;
bool TosserWasRunning = false;

namespace {
bool ApplicationTerminating = false;
}

const std::string& UsageMessage()
{
    static const std::string message = Utf8ToAnsi(
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
    return !TossingFlagFile.empty() && FlagFileExists(TossingFlagFile);
}

bool StopRequested()
{
    return ApplicationTerminating || TosserRunning();
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
