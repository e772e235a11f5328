// The program: quorvel FLAGFILE AREASFILE [HUDSONPATH].
#include <cstdio>

#include "core/AreasFile.h"
#include "core/CodePage.h"
#include "core/Startup.h"
#include "ui/AnsiText.h"
#include "ui/Dialogs.h"
#include "ui/QuorvelApplication.h"
#include "ui/Resources.h"

int main(int argc, char** argv)
{
    QuorvelApplication app(argc, argv);
    RegisterCursors();

    std::vector<std::string> params;
    for (const QString& arg : QApplication::arguments().mid(1))
        params.push_back(ToAnsi(arg));
    if (!CheckParameters(params, ShowMessage))
        return 0;
    QApplication::setApplicationName(QString::fromLatin1(ProgramTitle));

    // Until the areas window exists: list the areas file and stop.
    try {
        TAreasFromCFG areas(AreasFileName, HudsonPath);
        for (const TAreaBase* area : areas)
            std::printf("%s\t%s\n", AnsiToUtf8(area->Tag).c_str(), AnsiToUtf8(area->BaseSpec).c_str());
    } catch (const EQuorvel& e) {
        ShowError(e.what());
        return 1;
    }
    return 0;
}
