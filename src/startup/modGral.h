#pragma once

#include "forms/textfile.h"

#include <QIcon>
#include <QString>

#include <array>

// The program's module: start-up, the message store and the one timed wait.
namespace modGral {

// The message store, shared by the board and the editor. A message is active when its stored
// line begins with "*"; whoever shows a message drops that first character.
inline constexpr int UltimoMensaje = 50;                // 51 entries, 0 to 50
extern std::array<QString, UltimoMensaje + 1> Mensajes; // every line of msg.txt, in order
extern std::array<QString, UltimoMensaje + 1> Activos;  // the active ones, packed from 0
extern quint8 NumActivos;
extern quint8 Actual; // the next active message to flash
// How msg.txt was read, so that it is written back the same way.
extern forms::TextEncoding CodificacionMsg;
// What msg.txt held at the load or the last save: a save must not silently replace what it
// has not read.
extern forms::FileStamp HuellaMsg;

// Start-up: the program's icon for every window and box, the splash window for three seconds,
// the messages, then the board.
void Main();

// Trevolo's icon, at every size it is drawn in.
QIcon Icono();

// Waits `seconds` of the clock while the windows go on handling their events. Waits of 0 or
// less return at once; a wait that crosses midnight still lasts its seconds; a wait returns
// early only when the program ends.
void Espera(float seconds);

// Chooses where msg.txt lives for this run: beside the executable when this user may write
// there, a new file or the msg.txt already there (a portable copy, a build folder), else in the
// user's own data folder (an installed copy). Start-up chooses once, so that a folder that
// changes during the run never sends a save to another file than the one that was read.
void ElegirCarpetaMsg();
// The folder chosen; chosen now if start-up has not.
QString CarpetaMsg();

// msg.txt in `carpeta`.
QString RutaMsg(const QString& carpeta = CarpetaMsg());

// The first run from the user's data folder starts from the msg.txt that stands beside the
// executable, if any; that one is never written.
void CopiarMsgInicial();

// Loads msg.txt into the store; a missing file leaves it empty.
void CargarMensajes();

} // namespace modGral
