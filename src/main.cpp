#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "startup/modGral.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevolo"));
    modGral::Main();
    const int code = forms::Run();
    frmTrevolo::Descargar();
    return code;
}
