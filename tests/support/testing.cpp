#include "testing.h"

#include "board/frmTrevolo.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "forms/random.h"

#include <QApplication>
#include <QtGlobal>

namespace testing {

BoxLog& Boxes() {
    static BoxLog log;
    return log;
}

void CleanSlate(double reading, double speed) {
    QApplication::setApplicationName(QStringLiteral("Trevolo"));
    frmTrevolo::Descargar();
    forms::ClearEnd();
    forms::SetClock(reading, speed);
    forms::SetRndSource({});
    Boxes() = BoxLog{};
    forms::SetBoxResponder([](const forms::Box& box) {
        BoxLog& log = Boxes();
        log.shown.append(box);
        if (log.onShow)
            log.onShow(box);
        if (box.kind == forms::Box::Kind::Input && !log.answers.isEmpty())
            return log.answers.takeFirst();
        return QString();
    });
}

void ScriptRnd(const QList<float>& values) {
    forms::SetRndSource([values, next = qsizetype(0)]() mutable {
        if (next >= values.size())
            qFatal("The scripted random numbers ran out after %lld draws", qlonglong(next));
        return values[next++];
    });
}

} // namespace testing
