// The program: quorvel FLAGFILE AREASFILE [HUDSONPATH].
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "core/AreasFile.h"
#include "core/CodePage.h"
#include "core/Startup.h"
#include "ui/AnsiText.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(ProgramTitle));

    std::vector<std::string> params;
    for (const QString& arg : QApplication::arguments().mid(1))
        params.push_back(ToAnsi(arg));
    auto showMessage = [](const std::string& text) {
        QMessageBox::information(nullptr, QString::fromLatin1(ProgramTitle), FromAnsiMessage(text));
    };
    if (!CheckParameters(params, showMessage))
        return 0;

    // Until the areas window exists: list the areas file and stop.
    try {
        TAreasFromCFG areas(AreasFileName, HudsonPath);
        for (const TAreaBase* area : areas)
            std::printf("%s\t%s\n", AnsiToUtf8(area->Tag).c_str(), AnsiToUtf8(area->BaseSpec).c_str());
    } catch (const EQuorvel& e) {
        showMessage(e.what());
        return 1;
    }
    return 0;
}
