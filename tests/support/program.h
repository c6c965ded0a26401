#pragma once

#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "startup/modGral.h"
#include "store/store.h"
#include "support/testing.h"

#include <QLabel>

namespace testing {

// The store from text lines, as a load of msg.txt would leave it.
inline void FillStore(const QStringList& lines)
{
    modGral::LlenarMensajes(modGral::MensajesDe(lines));
}

// msg.txt holding `bytes`, loaded as at start-up.
inline void LoadMsg(const QByteArray& bytes)
{
    WriteMsg(bytes);
    modGral::CargarMensajes();
}

// Every test of the program starts here: CleanForms(), no windows, an empty message store and
// the program's words for failed files.
inline void CleanSlate(double reading = 0.0, double speed = virtualTime)
{
    frmTrevolo::Descargar();
    FillStore({});
    modGral::Actual = 0;
    CleanForms(reading, speed);
    forms::SetFailureWords(modGral::PalabrasDeFallo());
    modGral::ElegirCarpetaMsg(); // in the fresh folder, nothing read from it yet
}

// Runs `built` once the board stands in its cycle, within its first wait.
inline void OnceBuilt(frmTrevolo& board, const std::function<void(frmTrevolo&)>& built)
{
    QObject::connect(
        &board, &frmTrevolo::Construido, &board, [&board, built] { built(board); },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
}

// Shows the board and lets its first activation build it, as at start-up. `built` runs within
// the cycle's first wait; the test's own events then run in the cycle until one of them ends
// the program, and Primero returns.
inline void RunBoardUntilEnd(const std::function<void(frmTrevolo&)>& built)
{
    frmTrevolo& board = frmTrevolo::Instancia();
    OnceBuilt(board, built);
    board.show();
    // The first activation runs Primero inside this wait; it returns when the program ends.
    QTRY_VERIFY_WITH_TIMEOUT(forms::Ending(), 20000);
}

// The same, ending the program as soon as `inside` returns.
inline void RunBoard(const std::function<void(frmTrevolo&)>& inside)
{
    RunBoardUntilEnd([inside](frmTrevolo& board) {
        inside(board);
        forms::End();
    });
}

// The 25 hand codes, cells 1 to 25, as one string.
inline QString Hands(const frmTrevolo& board)
{
    QString hands;
    for (int n = 1; n <= 25; ++n)
        hands += board.lblMano(n)->text();
    return hands;
}

} // namespace testing
