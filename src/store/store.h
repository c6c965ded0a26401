#pragma once

#include "forms/textfile.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

// The message store, shared by the board and the editor, and the msg.txt it is kept in.
namespace modGral {

inline constexpr int UltimoMensaje = 50; // entries 0 to 50
inline constexpr int CapacidadMensajes = UltimoMensaje + 1;
using Entradas = std::array<QString, CapacidadMensajes>;
extern Entradas Mensajes; // every line of msg.txt, in order
extern Entradas Activos;  // the active ones, packed from 0
extern quint8 NumActivos;
extern quint8 Actual; // the next active message to flash
// How msg.txt was read, so that it is written back the same way.
extern forms::TextEncoding CodificacionMsg;
// What msg.txt held at the load or the last save: a save must not silently replace what it
// has not read.
extern forms::FileStamp HuellaMsg;

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

// Puts `mensajes` into the store, the first CapacidadMensajes of them: the line of message i
// into Mensajes(i), the lines of the active ones packed into Activos and counted in NumActivos.
// Entries past them keep what they held. Returns how many messages did not fit; an empty line
// is none.
qsizetype LlenarMensajes(const QList<Mensaje>& mensajes);
// The same into other entries than the store's.
qsizetype LlenarMensajes(const QList<Mensaje>& mensajes, Entradas& lineas, Entradas& activos,
                         quint8& numActivos);
// Every entry empty, no message active.
void VaciarMensajes();
// The store's messages as lines, in order; a blank entry is no message.
QStringList LineasMensajes();

// Chooses where msg.txt lives for this run: beside the executable when this user may write
// there, a new file or the msg.txt already there (a portable copy, a build folder), else in the
// user's own data folder (an installed copy). Start-up chooses once, so that a folder that
// changes during the run never sends a save to another file than the one that was read.
// Returns what CrearCarpetaMsg() does.
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

// How long a copy waits for another that is saving msg.txt, in seconds. The other holds it for
// one read and one write, which for a list of 64 MB, the largest, take some seconds, a few
// times more on a busy machine; half a minute leaves room for that and is still a wait whose
// end a user sees.
inline constexpr float EsperaOtraCopia = 30.0f;

// The words for why msg.txt could not be read or written, in the program's language.
forms::FailureWords PalabrasDeFallo();

} // namespace modGral
