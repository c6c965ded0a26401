#include "program.h"

#include "forms/program.h"
#include "forms/textfile.h"
#include "startup/modGral.h"

#include <QLabel>
#include <QtTest>

namespace testing {

void CleanSlate(double reading, double speed)
{
    frmTrevolo::Descargar();
    FillStore({});
    modGral::Actual = 0;
    modGral::CodificacionMsg = forms::TextEncoding::SystemCodePage;
    modGral::HuellaMsg = {};
    CleanForms(reading, speed);
    modGral::ElegirCarpetaMsg(); // in the fresh folder
}

void FillStore(const QStringList& lines)
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

namespace {

// Runs `built` once the board stands in its cycle, within its first wait.
void OnceBuilt(frmTrevolo& board, const std::function<void(frmTrevolo&)>& built)
{
    QObject::connect(
        &board, &frmTrevolo::Construido, &board, [&board, built] { built(board); },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
}

} // namespace

void RunBoardUntilEnd(const std::function<void(frmTrevolo&)>& built)
{
    frmTrevolo& board = frmTrevolo::Instancia();
    OnceBuilt(board, built);
    board.show();
    // The first activation runs Primero inside this wait; it returns when the program ends.
    QTRY_VERIFY_WITH_TIMEOUT(forms::Ending(), 20000);
}

void RunBoard(const std::function<void(frmTrevolo&)>& inside)
{
    RunBoardUntilEnd([inside](frmTrevolo& board) {
        inside(board);
        forms::End();
    });
}

QString Hands(const frmTrevolo& board)
{
    QString hands;
    for (int n = 1; n <= 25; ++n)
        hands += board.lblMano(n)->text();
    return hands;
}

} // namespace testing
