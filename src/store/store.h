#pragma once

#include "forms/textfile.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>

// The message store, shared by the board and the editor, and msg.txt, the file it is kept in:
// where it lives, how it was read, its load at start-up and its save from the editor.
namespace modGral {

inline constexpr int UltimoMensaje = 50; // entries 0 to 50
inline constexpr int CapacidadMensajes = UltimoMensaje + 1;
using Entradas = std::array<QString, CapacidadMensajes>;
extern Entradas Mensajes; // every line of msg.txt, in order
extern Entradas Activos;  // the active ones, packed from 0
extern quint8 NumActivos;
extern quint8 Actual; // the next active message to flash

// A message and whether it flashes. Its text is a view into a line or list item, which must
// outlive it.
struct Mensaje {
    QStringView texto;
    bool activo = false;
};
// What a line of msg.txt holds: a message active when the line begins with "*", and shown
// without that first character.
Mensaje MensajeDe(QStringView linea);
QList<Mensaje> MensajesDe(const QStringList& lineas);
// The line that holds `mensaje`.
QString LineaDe(Mensaje mensaje);
// `texto` cut to `largo` characters with "…" at the end, never within a surrogate pair.
QString Abreviado(const QString& texto, qsizetype largo);

// Fills the store with `mensajes` in place of what it held: the line of message i into
// Mensajes(i), the lines of the active ones packed into Activos and counted in NumActivos, the
// first CapacidadMensajes of them. Returns how many did not fit, blank lines aside.
qsizetype LlenarMensajes(const QList<Mensaje>& mensajes);
// The store's messages as lines, in order, its blank entries left out.
QStringList LineasMensajes();

// Chooses where msg.txt lives for this run: beside the executable when this user may write
// there, a new file or the msg.txt already there (a portable copy, a build folder), else in the
// user's own data folder (an installed copy). Start-up chooses once, so that a folder that
// changes during the run never sends a save to another file than the one that was read.
// Nothing has been read from the file chosen yet. Returns what CrearCarpetaMsg() does.
QString ElegirCarpetaMsg();
// The folder chosen; chosen now if start-up has not.
QString CarpetaMsg();
// Makes the user's data folder if it is the one chosen and is missing. Returns why it could
// not, as a sentence that names it; empty when the folder is there.
QString CrearCarpetaMsg();

// msg.txt in `carpeta`.
QString RutaMsg(const QString& carpeta = CarpetaMsg());
// `ruta` as the boxes name it, with where it leads when it is a symbolic link.
QString NombreMsg(const QString& ruta);

// How msg.txt was read, so that it is written back the same way.
forms::TextEncoding CodificacionMsg();
// What msg.txt held at the load or the last save: a save must not silently replace what it
// has not read.
const forms::FileStamp& HuellaMsg();

// How long a copy waits for another that is saving msg.txt, in seconds. The other holds it for
// one read and one write, which for a list of 64 MB, the largest, take some seconds, a few
// times more on a busy machine; half a minute leaves room for that and is still a wait whose
// end a user sees.
inline constexpr float EsperaOtraCopia = 30.0f;

// What start-up does with msg.txt: chooses its folder and says why the user's data folder
// could not be made, if so; then, where a save was cut short, finishes what it left
// (RecoverSaves) under the lock that other copies save under, copies the first list
// (CopiarMsgInicial) and loads it.
void PrepararMensajes();

// The first run from the user's data folder starts from the msg.txt that stands beside the
// executable, if any; that one is never written.
void CopiarMsgInicial();

// Loads msg.txt into the store; a missing file leaves it empty. Entries past the file's lines
// keep what they held.
void CargarMensajes();

// What a save asks of whoever asked for it, who shows the boxes.
struct ConsultasGuardado {
    // Whether the save is still wanted once another copy's save let it go.
    std::function<bool()> sigue;
    // Whether to replace a msg.txt that holds what the list would lose, as `pregunta` says.
    std::function<bool(const QString& pregunta)> reemplaza;
};
struct Guardado {
    bool hecho = false; // msg.txt and the store hold the list
    QString error;      // why not, to be shown; empty when there is nothing to tell
};
// Writes `mensajes` to msg.txt, old file or new, never half, then fills the store with them.
// On failure or a "no", nothing changes.
Guardado GuardarMensajes(const QList<Mensaje>& mensajes, const ConsultasGuardado& consultas);

// The words for why msg.txt could not be read or written, in the program's language.
forms::FailureWords PalabrasDeFallo();

} // namespace modGral
