#pragma once

#include "store/store.h"

#include <QIcon>
#include <QString>

// The program's module: start-up and the one timed wait. The message store and msg.txt are
// their own unit (store/store.h).
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

} // namespace modGral
