#pragma once

#include "forms/textfile.h"

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

// Start-up: the splash window for three seconds, the messages, then the board.
void Main();

// Waits `seconds` of the clock while the windows go on handling their events. Waits of 0 or
// less return at once; a wait that crosses midnight still lasts its seconds; a wait returns
// early only when the program ends.
void Espera(float seconds);

// msg.txt in the executable's folder.
QString RutaMsg();

// Loads msg.txt into the store; a missing file leaves it empty.
void CargarMensajes();

} // namespace modGral
