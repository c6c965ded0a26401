#pragma once

#include "board/frmTrevolo.h"
#include "support/testing.h"

#include <QStringList>

#include <functional>

// Reaches the board's hand drawing, which the program only calls from its endless cycle.
class BoardProbe {
public:
    static void AsignarManos(frmTrevolo& board) { board.AsignarManos(); }
};

namespace testing {

// Every test of the program starts here: CleanForms(), no windows and an empty message store.
void CleanSlate(double reading = 0.0, double speed = 1.0);

// The store from text lines, as a load of msg.txt would leave it.
void FillStore(const QStringList& lines);

// Shows the board and lets its first activation build it, as at start-up. `built` runs within
// the cycle's first wait; the test's own events then run in the cycle until one of them ends
// the program, and Primero returns.
void RunBoardUntilEnd(const std::function<void(frmTrevolo&)>& built);

// The same, ending the program as soon as `inside` returns.
void RunBoard(const std::function<void(frmTrevolo&)>& inside);

// The 25 hand codes, cells 1 to 25, as one string.
QString Hands(const frmTrevolo& board);

} // namespace testing
