#include "modGral.h"

#include "board/frmTrevolo.h"
#include "forms/boxes.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "startup/frmSplash.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace modGral {

std::array<QString, UltimoMensaje + 1> Mensajes;
std::array<QString, UltimoMensaje + 1> Activos;
quint8 NumActivos = 0;
quint8 Actual = 0;
forms::TextEncoding CodificacionMsg = forms::TextEncoding::SystemCodePage;
forms::FileStamp HuellaMsg;

namespace {
QString carpetaElegida; // where msg.txt lives for this run
} // namespace

void Main()
{
    QApplication::setWindowIcon(Icono());
    auto* splash = new frmSplash;
    splash->show();
    Espera(3.0f);
    delete splash;
    if (forms::Ending())
        return;
    ElegirCarpetaMsg();
    CopiarMsgInicial();
    CargarMensajes();
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

void ElegirCarpetaMsg()
{
    const QString programa = forms::AppPath();
    const bool junto = forms::CanCreateFilesIn(programa) || forms::CanRewrite(RutaMsg(programa));
    carpetaElegida = junto ? programa : forms::UserDataPath();
}

QString CarpetaMsg()
{
    if (carpetaElegida.isEmpty())
        ElegirCarpetaMsg();
    return carpetaElegida;
}

QString RutaMsg(const QString& carpeta)
{
    if (carpeta.endsWith(u'/')) // a drive's root already ends in one
        return carpeta + QStringLiteral("msg.txt");
    return carpeta + QStringLiteral("/msg.txt");
}

void CopiarMsgInicial()
{
    const QString ruta = RutaMsg();
    const QString original = RutaMsg(forms::AppPath());
    if (ruta == original || QFileInfo::exists(ruta) || !forms::FileExists(original))
        return;
    const QString error = forms::CopyToNewFile(original, ruta);
    if (!error.isEmpty())
        forms::MsgBox(
            QStringLiteral("No se pudo copiar %1 en %2: %3\nSe empieza sin mensajes.")
                .arg(QDir::toNativeSeparators(original), QDir::toNativeSeparators(ruta), error),
            forms::Icon::Warning);
}

void CargarMensajes()
{
    NumActivos = 0;
    const QString ruta = RutaMsg();
    const forms::ReadResult leido = forms::ReadLines(ruta);
    HuellaMsg = leido.stamp;
    if (!leido.error.isEmpty()) {
        forms::MsgBox(
            QStringLiteral("No se puede leer %1: %2\nSe empieza sin mensajes, y el archivo "
                           "no se reemplazará sin preguntarle.")
                .arg(QDir::toNativeSeparators(ruta), leido.error),
            forms::Icon::Warning);
        return;
    }
    CodificacionMsg = leido.text.encoding;
    const QStringList& lineas = leido.text.lines;
    for (qsizetype i = 0; i < lineas.size() && i <= UltimoMensaje; ++i) {
        Mensajes[size_t(i)] = lineas[i];
        if (lineas[i].startsWith(u'*')) {
            ++NumActivos;
            Activos[NumActivos - 1] = lineas[i];
        }
    }
    // The store holds 51 lines; tell the user before a save can drop the rest.
    const auto sobran = std::count_if(lineas.begin() + std::min(lineas.size(), qsizetype(51)),
                                      lineas.end(), [](const QString& l) { return !l.isEmpty(); });
    if (sobran > 0)
        forms::MsgBox(QStringLiteral("%1 tiene más de 51 líneas. Solo se usan las 51 primeras; "
                                     "%2 si guarda la lista.")
                          .arg(QDir::toNativeSeparators(ruta),
                               sobran == 1 ? QStringLiteral("el mensaje siguiente se perderá")
                                           : QStringLiteral("los %1 mensajes siguientes se "
                                                            "perderán")
                                                 .arg(sobran)),
                      forms::Icon::Warning);
}

} // namespace modGral
