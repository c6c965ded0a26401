#include "store.h"

#include <algorithm>

namespace modGral {

Entradas Mensajes;
Entradas Activos;
quint8 NumActivos = 0;
quint8 Actual = 0;
forms::TextEncoding CodificacionMsg = forms::TextEncoding::SystemCodePage;
forms::FileStamp HuellaMsg;

namespace {
QString carpetaElegida; // where msg.txt lives for this run
} // namespace

Mensaje MensajeDe(QStringView linea)
{
    const bool activo = linea.startsWith(u'*');
    return {activo ? linea.mid(1) : linea, activo};
}

QList<Mensaje> MensajesDe(const QStringList& lineas)
{
    QList<Mensaje> mensajes;
    mensajes.reserve(lineas.size());
    for (const QString& linea : lineas)
        mensajes << MensajeDe(linea);
    return mensajes;
}

QString LineaDe(Mensaje mensaje)
{
    return mensaje.activo ? u'*' + mensaje.texto.toString() : mensaje.texto.toString();
}

qsizetype LlenarMensajes(const QList<Mensaje>& mensajes)
{
    return LlenarMensajes(mensajes, Mensajes, Activos, NumActivos);
}

qsizetype LlenarMensajes(const QList<Mensaje>& mensajes, Entradas& lineas, Entradas& activos,
                         quint8& numActivos)
{
    const qsizetype caben = std::min(mensajes.size(), qsizetype(CapacidadMensajes));
    numActivos = 0;
    for (qsizetype i = 0; i < caben; ++i) {
        lineas[size_t(i)] = LineaDe(mensajes[i]);
        if (mensajes[i].activo)
            activos[numActivos++] = lineas[size_t(i)];
    }
    return std::count_if(mensajes.begin() + caben, mensajes.end(),
                         [](const Mensaje& m) { return m.activo || !m.texto.isEmpty(); });
}

void VaciarMensajes()
{
    Mensajes = {};
    Activos = {};
    NumActivos = 0;
}

QStringList LineasMensajes()
{
    QStringList lineas;
    std::copy_if(Mensajes.begin(), Mensajes.end(), std::back_inserter(lineas),
                 [](const QString& l) { return !l.isEmpty(); });
    return lineas;
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

forms::FailureWords PalabrasDeFallo()
{
    return {
        .denied = QStringLiteral("permiso denegado"),
        .full = QStringLiteral("disco lleno"),
        .missing = QStringLiteral("no existe"),
        .folder = QStringLiteral("es una carpeta"),
        .held = QStringLiteral("otro programa lo tiene abierto"),
        .notRestored = QStringLiteral("tampoco se pudo devolver al archivo su contenido "
                                      "anterior, que puede haber quedado incompleto"),
    };
}

} // namespace modGral
