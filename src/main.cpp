#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "startup/modGral.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevolo"));
    // A Spanish program: the boxes' buttons read "Aceptar" and "Cancelar" on any system.
    QTranslator qtEnEspanol;
    if (qtEnEspanol.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtEnEspanol);

    modGral::Main();
    const int code = forms::Run();
    frmTrevolo::Descargar();
    return code;
}
