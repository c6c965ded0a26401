#pragma once

// The program's module: start-up and the one timed wait.
namespace modGral {

// Start-up: the splash window for three seconds, then the board.
void Main();

// Waits `seconds` of the clock while the windows go on handling their events. Waits of 0 or
// less return at once; a wait that crosses midnight still lasts its seconds; a wait returns
// early only when the program ends.
void Espera(float seconds);

} // namespace modGral
