#include "modGral.h"

#include "board/frmTrevolo.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "startup/frmSplash.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace modGral {

void Main()
{
    QApplication::setWindowIcon(Icono());
    forms::SetFailureWords(PalabrasDeFallo());
    auto* splash = new frmSplash;
    splash->show();
    Espera(3.0f);
    delete splash;
    if (forms::Ending())
        return;
    PrepararMensajes();
    frmTrevolo::Instancia().show();
}

QIcon Icono()
{
    QIcon icono;
    const QDir iconos(QStringLiteral(":/icons"), QStringLiteral("trevolo-*.png"));
    for (const QFileInfo& png : iconos.entryInfoList())
        icono.addFile(png.filePath());
    return icono;
}

void Espera(float seconds)
{
    constexpr float secondsPerDay = 86400.0f;
    const float inicio = forms::Timer();
    const float fin = seconds + inicio;
    for (;;) {
        float ahora = forms::Timer();
        if (ahora < inicio) // the clock went back to 0 at midnight
            ahora += secondsPerDay;
        if (ahora >= fin || forms::Ending())
            return;
        forms::DispatchEventsFor(fin - ahora);
    }
}

} // namespace modGral
