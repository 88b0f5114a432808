// Titora's entry: the application object, its title, the two windows, the message loop.
#include "framework/application.h"
#include "Unit2.h"
#include "Unit3.h"
#include "title_engine.h"

int main(int argc, char* argv[]) {
    titora::RecoverInterruptedSaves(); // saves a crash cut short are finished first
    TApplication application(argc, argv);
    Application->Initialize();
    Application->SetTitle(QStringLiteral("Titora"));
    Application->CreateForm(Form1);
    Application->CreateForm(AboutBox);
    return Application->Run();
}
