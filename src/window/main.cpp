// Titora's entry: the command line, the application object, its title, the two windows, the
// message loop.
#include "command_line.h"
#include "framework/application.h"
#include "framework/dialogs.h"
#include "title_engine.h"
#include "Unit2.h"
#include "Unit3.h"

#include <iostream>
#include <optional>

int main(int argc, char* argv[]) {
    const titora::CommandLine commandLine =
        titora::ParseCommandLine(argc, argv, titora::WorkingFolder());
    if (commandLine.action != titora::CommandLine::Action::Run || !commandLine.unknown.empty())
        titora::AnswerInCallersConsole();
    if (const std::optional<int> status =
            titora::AnswerCommandLine(commandLine, std::cout, std::cerr))
        return *status;
    // Saves a crash cut short are finished first.
    const titora::RecoveryReport recovery = titora::RecoverInterruptedSaves();
    // Qt would take options of its own from the command line (-style, -stylesheet, -reverse,
    // -platformpluginpath...); the program offers none of them, so Qt gets its name only.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    TApplication application(qtArgc, qtArgv);
    Application->Initialize();
    Application->SetTitle(QStringLiteral("Titora"));
    Application->CreateForm(Form1);
    Application->CreateForm(AboutBox);
    // Once, before any page is touched: why saves cut short cannot be finished.
    if (!recovery.stateFolderTrouble.empty()) {
        QString text = QString::fromLocal8Bit(recovery.stateFolderTrouble) + QLatin1Char('.');
        text[0] = text[0].toUpper();
        ShowMessage(text);
    }
    Form1->AddPaths(commandLine.paths);
    return Application->Run();
}
