#pragma once

#include "store/store.h"

#include <QIcon>
#include <QString>

// The program's module: start-up and the one timed wait. The message store is its own unit
// (store/store.h).
namespace modGral {

// Start-up: the program's icon for every window and box, the splash window for three seconds,
// the messages, then the board.
void Main();

// Trevolo's icon, at every size it is drawn in.
QIcon Icono();

// Waits `seconds` of the clock while the windows go on handling their events. Waits of 0 or
// less return at once; a wait that crosses midnight still lasts its seconds; a wait returns
// early only when the program ends.
void Espera(float seconds);

// What start-up does with msg.txt, once the folder is chosen: says why the user's data folder
// could not be made, if so; then, under the lock that other copies save under, finishes what a
// save cut short left (RecoverSaves), copies the first list (CopiarMsgInicial) and loads it.
void PrepararMensajes();

// The first run from the user's data folder starts from the msg.txt that stands beside the
// executable, if any; that one is never written.
void CopiarMsgInicial();

// Loads msg.txt into the store; a missing file leaves it empty.
void CargarMensajes();

} // namespace modGral
