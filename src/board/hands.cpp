#include "hands.h"

#include "grid.h"

#include <array>
#include <cmath>

namespace manos {
namespace {

constexpr int celdas = GridCells; // numbered from 1 in reading order

// Cells 4 and 9 always hold "I" and "D". Where that code would be the third in a row, the two
// cells before it take `antes` instead, or `antes` swapped when the first of them already holds
// its first code.
struct CeldaFija {
    int celda;
    QString codigo;
    std::array<QString, 2> antes;
};
const CeldaFija celdasFijas[] = {{4, Izquierda, {Ambas, Izquierda}},
                                 {9, Derecha, {Derecha, Ambas}}};
// Cell 10 always holds "J", and starts a new count.
constexpr int celdaAmbas = 10;
// The count a cell may leave; one that would take it further is changed.
constexpr quint8 cuentaMaxima = 2;

// One drawing of the hand codes, cell after cell. `Anterior` is the code the next cell is
// compared with and `Cuenta` how many cells the count has run; a third redraws the cell.
class Sorteo {
public:
    Sorteo(const QStringList& tabla, const std::function<float()>& rnd)
        : tabla(tabla)
        , rnd(rnd)
    {
    }

    QStringList Manos()
    {
        for (int n = 1; n <= celdas; ++n)
            Celda(n);
        return codigos.mid(1);
    }

private:
    void Celda(int n)
    {
        sortear(n); // fixed cells draw too: their number is used up all the same
        if (n == 1) {
            Anterior = codigos[1];
            Cuenta = 1;
        } else if (n == celdaAmbas) {
            codigos[n] = Ambas;
            Cuenta = 1; // Anterior keeps the "D" of cell 9
        } else if (const CeldaFija* fija = celdaFija(n)) {
            Fija(*fija);
        } else {
            Libre(n);
        }
    }

    static const CeldaFija* celdaFija(int n)
    {
        for (const CeldaFija& fija : celdasFijas)
            if (fija.celda == n)
                return &fija;
        return nullptr;
    }

    void sortear(int n) { codigos[n] = tabla[int(std::floor(float(tabla.size()) * rnd()))]; }

    void Fija(const CeldaFija& fija)
    {
        const int n = fija.celda;
        codigos[n] = fija.codigo;
        if (codigos[n] == Anterior && Cuenta == cuentaMaxima) {
            // The fixed code would make a third in a row: rewrite the two cells before it.
            const bool cambiadas = codigos[n - 2] == fija.antes[0];
            codigos[n - 2] = fija.antes[cambiadas ? 1 : 0];
            codigos[n - 1] = fija.antes[cambiadas ? 0 : 1];
            Anterior = fija.codigo;
            Cuenta = 1;
        } else if (codigos[n] == Anterior) {
            ++Cuenta;
        } else {
            Anterior = codigos[n];
            Cuenta = 1;
        }
    }

    void Libre(int n)
    {
        // A change of code keeps the count: two repeats since the count last started, of any
        // codes, redraw the cell after them, so that cells drawn "J", "J", "D", "D" redraw the
        // fourth. Those are the exercise's designed boards, which the hand tests pin down.
        if (codigos[n] == Anterior)
            ++Cuenta;
        else
            Anterior = codigos[n];
        if (Cuenta > cuentaMaxima) {
            do
                sortear(n);
            while (codigos[n] == Anterior);
            Cuenta = 1;
            Anterior = codigos[n];
        }
    }

    const QStringList& tabla;
    const std::function<float()>& rnd;
    QStringList codigos = QStringList(celdas + 1); // from element 1, as the cells are numbered
    QString Anterior;
    quint8 Cuenta = 0;
};

} // namespace

QStringList Sortear(const QStringList& tabla, const std::function<float()>& rnd)
{
    return Sorteo(tabla, rnd).Manos();
}

QString Significado(const QString& codigo)
{
    if (codigo == Izquierda)
        return QStringLiteral("mano izquierda");
    if (codigo == Derecha)
        return QStringLiteral("mano derecha");
    return QStringLiteral("ambas manos");
}

} // namespace manos
