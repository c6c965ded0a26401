#pragma once

class QLocale;

namespace forms {

// Qt's own words (the standard buttons of the boxes) in `language`, from Qt's translations
// where Qt looks for them: beside the program on Windows (see qt.conf), the system's elsewhere.
// Returns whether they were found.
bool UseQtTranslation(const QLocale& language);

// Blocks in the event loop for `clockSeconds` of the program clock, dispatching every event
// as it arrives, or, with `holdInput`, every event but the user's input, which waits for later.
// Returns at once for no time at all or once the program is ending.
void DispatchEventsFor(float clockSeconds, bool holdInput = false);

// Runs the application's event loop until the program ends; returns its exit code.
int Run();

// Ends the program at once, from wherever the call stack stands: every window is hidden, every
// wait returns, no timer of ours fires again and the event loops are told to finish.
void End();
bool Ending();

// Tests: a fresh start after End().
void ClearEnd();

} // namespace forms
