#include "core/Startup.h"

const std::string& UsageMessage()
{
    static const std::string message(
        "Ты забыл параметры:\r"
        "  <Полное имя флажка \"идёт tossing\">\r"
        "  <там\\далеко\\areas.bbs>   - области в формате, выдаваемом FESetup/XA\r"
        "  <если нужно путь к Hudson>");
    return message;
}

bool CheckParameters(const std::vector<std::string>& params, StartParameters& start,
                     const std::function<void(const std::string&)>& showMessage)
{
    if (params.size() < 2) {
        showMessage(UsageMessage());
        return false;
    }
    start.TossingFlagFile = params[0];
    start.AreasFileName = params[1];
    start.HudsonPath = params.size() > 2 ? params[2] : std::string();
    return true;
}

std::string SettingsKey()
{
    return std::string("Software\\Tressik\\Quorvel\\") + std::string(ProgramVersion).substr(0, 4);
}
