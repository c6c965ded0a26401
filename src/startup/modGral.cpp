#include "modGral.h"

#include "board/frmTrevolo.h"
#include "forms/boxes.h"
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

void PrepararMensajes()
{
    const QString sinCarpeta = ElegirCarpetaMsg();
    if (!sinCarpeta.isEmpty()) {
        forms::MsgBox(sinCarpeta + QStringLiteral("\nSe empieza sin mensajes."),
                      forms::Icon::Warning);
        return;
    }
    const QString ruta = RutaMsg();
    forms::SaveLock cerrojo(ruta);
    // Without it, what a copy that is still saving left is that copy's own.
    if (cerrojo.Lock(EsperaOtraCopia)) {
        const forms::Recovered hecho = forms::RecoverSaves(ruta, cerrojo.LeftByAnEndedCopy());
        if (hecho.finished)
            forms::MsgBox(QStringLiteral("%1 se estaba guardando cuando Trevolo se cerró. Ahora "
                                         "se terminó de guardar: tiene la lista nueva.")
                              .arg(NombreMsg(ruta)),
                          forms::Icon::Information);
        if (!hecho.error.isEmpty())
            forms::MsgBox(QStringLiteral("%1 se estaba guardando cuando Trevolo se cerró, y no "
                                         "se pudo terminar de guardar: %2\nSe volverá a "
                                         "intentar la próxima vez que se abra Trevolo.")
                              .arg(NombreMsg(ruta), hecho.error),
                          forms::Icon::Warning);
    }
    CopiarMsgInicial();
    CargarMensajes();
}

void CopiarMsgInicial()
{
    const QString ruta = RutaMsg();
    const QString original = RutaMsg(forms::AppPath());
    if (ruta == original || QFileInfo::exists(ruta) || !forms::FileExists(original))
        return;
    const QString error = forms::CopyToNewFile(original, ruta);
    if (!error.isEmpty())
        forms::MsgBox(QStringLiteral("No se pudo copiar %1 en %2: %3\nSe empieza sin mensajes.")
                          .arg(NombreMsg(original), NombreMsg(ruta), error),
                      forms::Icon::Warning);
}

void CargarMensajes()
{
    const QString ruta = RutaMsg();
    const forms::ReadResult leido = forms::ReadLines(ruta);
    HuellaMsg = leido.stamp;
    if (!leido.error.isEmpty()) {
        LlenarMensajes({}); // nothing active
        const bool nuncaSeReemplaza = leido.stamp.state == forms::FileStamp::State::NotAFile;
        forms::MsgBox(QStringLiteral("No se puede leer %1: %2\nSe empieza sin mensajes, y %3")
                          .arg(NombreMsg(ruta), leido.error,
                               nuncaSeReemplaza
                                   ? QStringLiteral("Trevolo no lo reemplazará ni escribirá en él.")
                                   : QStringLiteral("el archivo no se reemplazará sin "
                                                    "preguntarle.")),
                      forms::Icon::Warning);
        return;
    }
    CodificacionMsg = leido.text.encoding;
    // Tell the user before a save can drop the lines that do not fit.
    const qsizetype sobran = LlenarMensajes(MensajesDe(leido.text.lines));
    if (sobran > 0)
        forms::MsgBox(QStringLiteral("%1 tiene más de %2 líneas. Solo se usan las %2 primeras; "
                                     "%3 si guarda la lista.")
                          .arg(NombreMsg(ruta), QString::number(CapacidadMensajes),
                               sobran == 1 ? QStringLiteral("el mensaje siguiente se perderá")
                                           : QStringLiteral("los %1 mensajes siguientes se "
                                                            "perderán")
                                                 .arg(sobran)),
                      forms::Icon::Warning);
}

} // namespace modGral
