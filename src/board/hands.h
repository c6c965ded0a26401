#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The hand codes under the board's letters: which hand the learner raises with each letter.
namespace manos {

inline const QString Izquierda = QStringLiteral("I");
inline const QString Derecha = QStringLiteral("D");
inline const QString Ambas = QStringLiteral("J");

// The table a code is drawn from: "I" and "J" come up twice as often as "D".
inline const QStringList Tabla{Izquierda, Derecha, Ambas, Izquierda, Ambas};

// The 25 codes of one board, cell 1 first, each cell drawn from `tabla` with a number
// 0 <= r < 1 of `rnd` under the repeat rules: cells 4, 9 and 10 always hold "I", "D" and "J".
QStringList Sortear(const QStringList& tabla, const std::function<float()>& rnd);

// What a code asks of the learner, for screen readers.
QString Significado(const QString& codigo);

} // namespace manos
