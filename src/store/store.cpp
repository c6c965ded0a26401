#include "store.h"

#include "forms/boxes.h"
#include "forms/folders.h"
#include "forms/rescue.h"
#include "forms/savelock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <new>

namespace modGral {

Entradas Mensajes;
Entradas Activos;
quint8 NumActivos = 0;
quint8 Actual = 0;

namespace {

QString carpetaElegida; // where msg.txt lives for this run
bool enDatos = false;   // that is the user's data folder
forms::TextEncoding codificacion = forms::TextEncoding::SystemCodePage;
forms::FileStamp huella;
QByteArray huellaLineas; // the lines read or written with `huella`, hashed

QByteArray hashDe(const QStringList& lineas)
{
    const auto bytesOf = [](QStringView text) {
        return QByteArrayView(reinterpret_cast<const char*>(text.utf16()),
                              text.size() * qsizetype(sizeof(char16_t)));
    };
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& linea : lineas) {
        hash.addData(bytesOf(linea));
        hash.addData(bytesOf(u"\n")); // a line end, which no line holds
    }
    return hash.result();
}

// "*" alone is an active message, empty; a blank line is none.
bool esMensaje(Mensaje mensaje)
{
    return mensaje.activo || !mensaje.texto.isEmpty();
}

// Puts `lineas` into the store from entry 0, as many as fit, each shared with the list, not
// copied: a line may be of 64 MB. Line i is active when `activo(i)`. Entries past them keep
// what they held. Returns how many did not fit.
template <class Activo> qsizetype llenar(const QStringList& lineas, Activo activo)
{
    const qsizetype caben = std::min(lineas.size(), qsizetype(CapacidadMensajes));
    NumActivos = 0;
    for (qsizetype i = 0; i < caben; ++i) {
        Mensajes[size_t(i)] = lineas[i];
        if (activo(i))
            Activos[NumActivos++] = lineas[i];
    }
    return std::count_if(lineas.begin() + caben, lineas.end(),
                         [](const QString& linea) { return esMensaje(MensajeDe(linea)); });
}

qsizetype llenar(const QStringList& lineas)
{
    return llenar(lineas, [&](qsizetype i) { return MensajeDe(lineas[i]).activo; });
}

// The store holds `mensajes` alone, whose lines are `lineas`: active as ticked, as a message
// typed with a leading "*" is only once read back.
qsizetype llenarSolo(const QList<Mensaje>& mensajes, const QStringList& lineas)
{
    Mensajes = {};
    Activos = {};
    return llenar(lineas, [&](qsizetype i) { return mensajes[i].activo; });
}

QStringList lineasDe(const QList<Mensaje>& mensajes)
{
    QStringList lineas;
    lineas.reserve(mensajes.size());
    for (const Mensaje& mensaje : mensajes)
        lineas << LineaDe(mensaje);
    return lineas;
}

// The messages of a file's lines that the list's lines lack, each as often as it is missing.
QStringList faltantes(const QStringList& enArchivo, const QStringList& enLista)
{
    const auto mensaje = [](const QString& linea) { return MensajeDe(linea).texto.toString(); };
    QHash<QString, int> quedan;
    for (const QString& linea : enLista)
        ++quedan[mensaje(linea)];
    QStringList faltan;
    for (const QString& linea : enArchivo) {
        if (!esMensaje(MensajeDe(linea)))
            continue;
        int& n = quedan[mensaje(linea)];
        if (n > 0)
            --n;
        else
            faltan << mensaje(linea);
    }
    return faltan;
}

// The question to ask before the save replaces msg.txt, which now holds `ahora`: none when it
// holds what was last read or written there, or what the user already agreed to replace, holds
// nothing the list lacks, or is gone; otherwise what would be lost, which for a hidden file, as
// for one that cannot be read, is unknown. What is no regular file asks nothing: the save
// refuses it, and says why.
QString preguntaAntesDeReemplazar(const QString& ruta, const forms::ReadResult& ahora,
                                  const QStringList& lineas, const forms::FileStamp& aceptado)
{
    const QString archivo = NombreMsg(ruta);
    const QString pregunta = QStringLiteral(
        "\n\n¿Reemplazar el archivo con la lista? Con «No» no se guarda nada y la lista sigue "
        "abierta.");
    using State = forms::FileStamp::State;
    if (ahora.stamp == aceptado || ahora.stamp.state == State::NotAFile)
        return {};
    if (ahora.stamp.state == State::Unreadable)
        return QStringLiteral("No se puede leer %1: %2. ").arg(archivo, ahora.error) +
               (huella.state == State::Read
                    ? QStringLiteral("Se leyó bien antes, pero ahora no se puede ver si ha "
                                     "cambiado desde entonces: si guarda la lista, lo que haya "
                                     "cambiado se perderá.")
                    : QStringLiteral("Esta lista no muestra lo que contiene: si la guarda, ese "
                                     "contenido se perderá.")) +
               pregunta;
    if (ahora.stamp.state == State::Hidden)
        return QStringLiteral("%1 es un archivo oculto, y Trevolo no lee los archivos ocultos: "
                              "esta lista no muestra lo que contiene. Si la guarda, ese "
                              "contenido se perderá, y el archivo seguirá oculto.")
                   .arg(archivo) +
               pregunta;
    if (ahora.stamp.state == State::Absent || ahora.stamp == huella)
        return {};
    const QStringList faltan = faltantes(ahora.text.lines, lineas);
    if (faltan.isEmpty())
        return {};
    constexpr int mostrados = 3;
    const State leido = huella.state;
    QString texto =
        (leido == State::Unreadable || leido == State::NotAFile
             ? QStringLiteral("%1 no se pudo leer al empezar y ahora se lee. ")
             : QStringLiteral("%1 ha cambiado desde la última vez que se leyó o se guardó aquí "
                              "(quizá desde otra copia de Trevolo). "))
            .arg(archivo) +
        (faltan.size() == 1
             ? QStringLiteral("Tiene un mensaje que no está en esta lista y se perderá si la "
                              "guarda:")
             : QStringLiteral("Tiene %1 mensajes que no están en esta lista y se perderán si la "
                              "guarda:")
                   .arg(faltan.size()));
    for (qsizetype i = 0; i < faltan.size() && i < mostrados; ++i)
        texto += QStringLiteral("\n«%1»").arg(Abreviado(faltan[i], 60));
    if (faltan.size() > mostrados)
        texto += QStringLiteral("\ny %1 más.").arg(faltan.size() - mostrados);
    return texto + pregunta;
}

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
    QString linea;
    linea.reserve(mensaje.texto.size() + 1); // once: a message may be of 64 MB
    if (mensaje.activo)
        linea += u'*';
    return linea += mensaje.texto;
}

QString Abreviado(const QString& texto, qsizetype largo)
{
    if (texto.size() <= largo)
        return texto;
    qsizetype corte = largo - 1;
    if (texto[corte - 1].isHighSurrogate())
        --corte;
    return texto.left(corte) + u'…';
}

qsizetype LlenarMensajes(const QList<Mensaje>& mensajes)
{
    return llenarSolo(mensajes, lineasDe(mensajes));
}

QStringList LineasMensajes()
{
    QStringList lineas;
    std::copy_if(Mensajes.begin(), Mensajes.end(), std::back_inserter(lineas),
                 [](const QString& linea) { return esMensaje(MensajeDe(linea)); });
    return lineas;
}

QString ElegirCarpetaMsg()
{
    const QString programa = forms::AppPath();
    enDatos = !forms::CanCreateFilesIn(programa) && !forms::CanRewrite(RutaMsg(programa));
    carpetaElegida = enDatos ? forms::UserDataPath() : programa;
    // Another file than the one read before, if any.
    codificacion = forms::TextEncoding::SystemCodePage;
    huella = {};
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

forms::TextEncoding CodificacionMsg()
{
    return codificacion;
}

const forms::FileStamp& HuellaMsg()
{
    return huella;
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
    // Only a save cut short leaves anything to finish; a copy still saving is left to it, and
    // start-up never waits for it.
    forms::SaveLock cerrojo(ruta);
    if ((forms::RescueCopiesLeft(ruta) || forms::SaveLock::LeftBeside(ruta)) && cerrojo.Lock(0)) {
        const forms::Recovered hecho = forms::RecoverSaves(ruta, cerrojo.LeftByAnEndedCopy());
        if (hecho.finished)
            forms::MsgBox(QStringLiteral("%1 se estaba guardando cuando Trevolo se cerró. Ahora "
                                         "se terminó de guardar: tiene la lista nueva.")
                              .arg(NombreMsg(ruta)),
                          forms::Icon::Information);
        if (!hecho.keptAt.isEmpty())
            forms::MsgBox(QStringLiteral("%1 se estaba guardando cuando Trevolo se cerró, y "
                                         "después cambió. Se ha dejado como está; la lista que "
                                         "se estaba guardando está en %2.")
                              .arg(NombreMsg(ruta), QDir::toNativeSeparators(hecho.keptAt)),
                          forms::Icon::Warning);
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
    huella = leido.stamp;
    if (!leido.error.isEmpty()) {
        llenar({}); // nothing active
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
    codificacion = leido.text.encoding;
    huellaLineas = hashDe(leido.text.lines);
    // Tell the user before a save can drop the lines that do not fit.
    const qsizetype sobran = llenar(leido.text.lines);
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

Guardado GuardarMensajes(const QList<Mensaje>& mensajes, const ConsultasGuardado& consultas)
{
    const QString ruta = RutaMsg();
    const auto fallo = [&](const QString& porQue) {
        return Guardado{false, QStringLiteral("No se pudieron guardar los mensajes en %1: %2")
                                   .arg(NombreMsg(ruta), porQue)};
    };
    if (const QString sinCarpeta = CrearCarpetaMsg(); !sinCarpeta.isEmpty())
        return {false, sinCarpeta};
    // A list near the largest takes some hundreds of MB while it is saved: its lines, its bytes
    // and a piece of them at a time. What was read of msg.txt is let go before it is written.
    try {
        const QStringList lineas = lineasDe(mensajes);
        const QByteArray lista = hashDe(lineas);
        const auto hecho = [&] {
            huellaLineas = lista;
            llenarSolo(mensajes, lineas);
            return Guardado{true, {}};
        };
        forms::FileStamp aceptado; // what the user agreed to replace
        for (;;) {
            forms::FileStamp ahora;
            QString pregunta, porQue;
            {
                // The check and the replace are one step against every other copy; no box is,
                // so that no copy waits on a user: a change while the question is open asks
                // again.
                forms::SaveLock cerrojo(ruta);
                const bool mio = cerrojo.Lock(EsperaOtraCopia);
                if (!consultas.sigue())
                    return {};
                if (!mio)
                    return fallo(QStringLiteral("otra copia de Trevolo lo está guardando. "
                                                "Vuelva a pulsar Regresar en un momento."));
                {
                    const forms::ReadResult leido = forms::ReadLines(ruta, huella);
                    ahora = leido.stamp;
                    // Unchanged since it was read, and holding the list: kept as it is, to the
                    // byte.
                    if (ahora.state == forms::FileStamp::State::Read && ahora == huella &&
                        lista == huellaLineas)
                        return hecho();
                    pregunta = preguntaAntesDeReemplazar(ruta, leido, lineas, aceptado);
                }
                if (pregunta.isEmpty())
                    porQue = forms::WriteLines(ruta, lineas, codificacion, &huella);
            }
            if (pregunta.isEmpty())
                return porQue.isEmpty() ? hecho() : fallo(porQue);
            if (!consultas.reemplaza(pregunta))
                return {};
            aceptado = ahora;
        }
    } catch (const std::bad_alloc&) {
        return fallo(forms::Said(&forms::FailureWords::noMemory, QStringLiteral("out of memory")));
    }
}

forms::FailureWords PalabrasDeFallo()
{
    return {
        .denied = QStringLiteral("permiso denegado"),
        .readOnly = QStringLiteral("el sistema de archivos es de solo lectura"),
        .full = QStringLiteral("disco lleno"),
        .missing = QStringLiteral("no existe"),
        .folder = QStringLiteral("es una carpeta"),
        .held = QStringLiteral("otro programa lo tiene abierto"),
        .noMemory = QStringLiteral("no hay memoria suficiente"),
        .notRestored = QStringLiteral("tampoco se pudo devolver al archivo su contenido "
                                      "anterior, que puede haber quedado incompleto"),
        .notAFile = QStringLiteral("no es un archivo de texto"),
        .device = QStringLiteral("es un dispositivo"),
        .pipe = QStringLiteral("es una tubería (FIFO)"),
        .socket = QStringLiteral("es un socket"),
        .loop = QStringLiteral("sus enlaces forman un bucle"),
        .foreignLink = QStringLiteral("es un enlace de otro usuario en una carpeta donde otros "
                                      "pueden crear archivos"),
        .tooBig = QStringLiteral("es demasiado grande: más de %1 MB"),
        .notAFolder = QStringLiteral("no es una carpeta"),
        .noRescue = QStringLiteral("no se pudo escribir su copia de seguridad %1"),
    };
}

} // namespace modGral
