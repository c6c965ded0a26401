#pragma once

#include "forms/controls.h"

#include <QList>
#include <QMainWindow>
#include <QStringList>

#include <optional>

class QAction;
class QLabel;
class QMenu;

// The flash timer's interval in milliseconds for a period in seconds: periods below one second
// give six; nothing when the milliseconds do not fit the timer.
std::optional<qint32> IntervaloDelPeriodo(double segundos);

// The exercise board: always maximised, the letter grid with a hand code under each letter,
// the label that flashes the messages, and the two menus.
class frmTrevolo : public QMainWindow {
    Q_OBJECT
public:
    // The program's one board, created on first use; Descargar() destroys it.
    static frmTrevolo& Instancia();
    static void Descargar();

    // Builds the board, then redraws the hands every 600 seconds for as long as the program
    // runs: it returns only once the program is ending.
    void Primero();

    // Opens the editor over the board. A save that leaves no message active stops the flash.
    void EditMessages();

    // Draws the 25 hand codes anew, each under the repeat rules.
    void AsignarManos();

    bool bSed = false;
    float miAncho = 0.0f;
    float miLargo = 0.0f;
    QStringList Letras;
    QStringList Manos;

    QWidget* client; // the client area, below the menu bar
    QLabel* lblSedu;
    forms::LabelArray lblLetra;
    forms::LabelArray lblMano;
    forms::IntervalTimer* tSedu;
    QList<QMenu*> mnuBarra;
    QList<QAction*> mnuArch;
    QList<QAction*> mnuAcc;

signals:
    // The grid stands, just before its first hands are drawn.
    void Construido();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    frmTrevolo();
    void buildMenus();
    void maximise();
    void layOutGrid();
    void centreFlash();
    void loadCells();

    void Form_Activate();
    void AjustarLetra();
    void Form_Load();
    void Form_Resize();
    void mnuAcc_Click(short Index);
    void mnuArch_Click(short Index);
    void tSedu_Timer();
    void PedirPeriodo();
    void ActivarMensajes();
};
