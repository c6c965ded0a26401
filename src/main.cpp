#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "startup/modGral.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevolo"));
    // A Spanish program: the boxes' buttons read "Aceptar" and "Cancelar" on any system.
    forms::UseQtTranslation(QLocale(QLocale::Spanish));

    modGral::Main();
    const int code = forms::Run();
    frmTrevolo::Descargar();
    return code;
}
