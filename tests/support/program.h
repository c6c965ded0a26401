#pragma once

#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "startup/modGral.h"
#include "support/testing.h"

#include <QLabel>

// Reaches the board's hand drawing, which the program only calls from its endless cycle.
class BoardProbe {
public:
    static void AsignarManos(frmTrevolo& board) { board.AsignarManos(); }
};

namespace testing {

// The store from text lines, as a load of msg.txt would leave it.
inline void FillStore(const QStringList& lines)
{
    modGral::Mensajes = {};
    modGral::Activos = {};
    modGral::NumActivos = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        modGral::Mensajes[size_t(i)] = lines[i];
        if (lines[i].startsWith(u'*'))
            modGral::Activos[modGral::NumActivos++] = lines[i];
    }
}

// Every test of the program starts here: CleanForms(), no windows and an empty message store.
inline void CleanSlate(double reading = 0.0, double speed = 1.0)
{
    frmTrevolo::Descargar();
    FillStore({});
    modGral::Actual = 0;
    modGral::CodificacionMsg = forms::TextEncoding::SystemCodePage;
    modGral::HuellaMsg = {};
    CleanForms(reading, speed);
    modGral::ElegirCarpetaMsg(); // in the fresh folder
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
