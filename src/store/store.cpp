#include "store.h"

#include <QDir>
#include <QFileInfo>

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
bool enDatos = false;   // that is the user's data folder
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

QString ElegirCarpetaMsg()
{
    const QString programa = forms::AppPath();
    enDatos = !forms::CanCreateFilesIn(programa) && !forms::CanRewrite(RutaMsg(programa));
    carpetaElegida = enDatos ? forms::UserDataPath() : programa;
    return CrearCarpetaMsg();
}

QString CrearCarpetaMsg()
{
    const QString porQue = enDatos ? forms::MakeFolder(carpetaElegida) : QString();
    if (porQue.isEmpty())
        return {};
    return QStringLiteral("No se pudo crear la carpeta %1, donde se guardan sus mensajes: %2.")
        .arg(QDir::toNativeSeparators(carpetaElegida), porQue);
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

QString NombreMsg(const QString& ruta)
{
    const QFileInfo archivo(ruta);
    const QString nombre = QDir::toNativeSeparators(ruta);
    if (!archivo.isSymbolicLink())
        return nombre;
    return QStringLiteral("%1 (enlace a %2)")
        .arg(nombre, QDir::toNativeSeparators(archivo.symLinkTarget()));
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
        .notAFile = QStringLiteral("no es un archivo de texto"),
        .device = QStringLiteral("es un dispositivo"),
        .pipe = QStringLiteral("es una tubería (FIFO)"),
        .socket = QStringLiteral("es un socket"),
        .loop = QStringLiteral("sus enlaces forman un bucle"),
        .tooBig = QStringLiteral("es demasiado grande: más de %1 MB"),
        .notAFolder = QStringLiteral("no es una carpeta"),
        .noRescue = QStringLiteral("no se pudo escribir su copia de seguridad %1"),
    };
}

} // namespace modGral
