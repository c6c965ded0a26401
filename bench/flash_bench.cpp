// How long a flashed message stays up: starts the program as main.cpp does (splash, msg.txt
// with one active message, the board), sets a period of 1 s through "Temporizador" and switches
// the flash on through "Activar Mensajes", then times lblSedu from Show to Hide over 20
// flashes. Only the input box is answered in code; everything else is the program's own.
#include "board/frmTrevolo.h"
#include "forms/boxes.h"
#include "forms/program.h"
#include "forms/folders.h"
#include "startup/modGral.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int flashes = 20;
constexpr int limitMs = 90000; // 20 flashes at 1 s take about 25 s with the splash

// Notes the real time from each Show of the label to the Hide that follows it, and when each
// Show came.
class ShowHideTimer : public QObject {
public:
    std::vector<double> upMs;
    std::vector<double> shownAtMs;
    bool showing = false;

    explicit ShowHideTimer(QLabel* label)
    {
        clock.start();
        label->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            shown = clock.nsecsElapsed();
            shownAtMs.push_back(double(shown) / 1e6);
            showing = true;
        } else if (event->type() == QEvent::Hide && showing) {
            upMs.push_back(double(clock.nsecsElapsed() - shown) / 1e6);
            showing = false;
            if (upMs.size() >= size_t(flashes))
                forms::End();
        }
        return false;
    }

private:
    QElapsedTimer clock;
    qint64 shown = 0;
};

struct Stats {
    double mean, sd, min, max;
};

Stats stats(const std::vector<double>& v)
{
    double sum = 0.0;
    for (double x : v)
        sum += x;
    const double mean = sum / double(v.size());
    double squares = 0.0;
    for (double x : v)
        squares += (x - mean) * (x - mean);
    const double sd = v.size() > 1 ? std::sqrt(squares / double(v.size() - 1)) : 0.0;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return {mean, sd, *lo, *hi};
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trevolo"));

    QTemporaryDir folder;
    QFile msg(folder.filePath(QStringLiteral("msg.txt")));
    if (!folder.isValid() || !msg.open(QIODevice::WriteOnly) ||
        msg.write("INACTIVO\r\n*HOLA\r\n") < 0) {
        std::fprintf(stderr, "flash_bench: cannot write %s\n", qPrintable(msg.fileName()));
        return 1;
    }
    msg.close();
    forms::SetAppPath(folder.path());

    QStringList boxes; // every box the program shows, with its answer
    forms::SetBoxResponder([&boxes](const forms::Box& box) {
        boxes << box.text;
        return box.kind == forms::Box::Kind::Input ? QStringLiteral("1") : QString();
    });

    modGral::Main(); // the splash's three seconds, msg.txt, then the board
    frmTrevolo& board = frmTrevolo::Instancia();
    ShowHideTimer timer(board.lblSedu);

    // Once the first activation has built the board and stands in its cycle.
    QTimer built;
    built.setInterval(10);
    QObject::connect(&built, &QTimer::timeout, [&] {
        if (!board.bSed || board.lblMano.Count() < 26)
            return;
        built.stop();
        board.mnuAcc[0]->trigger(); // Temporizador: the box is answered "1"
        board.mnuAcc[1]->trigger(); // Activar Mensajes
    });
    built.start();
    bool timedOut = false;
    QTimer::singleShot(limitMs, [&timedOut] {
        timedOut = true;
        forms::End();
    });

    forms::Run();
    const int interval = board.tSedu->interval();
    frmTrevolo::Descargar();

    if (timedOut || timer.upMs.size() < size_t(flashes) || boxes.size() != 1) {
        std::fprintf(stderr, "flash_bench: %zu flashes of %d%s; boxes shown: %s\n",
                     timer.upMs.size(), flashes, timedOut ? ", timed out" : "",
                     qPrintable(boxes.join(QStringLiteral(" | "))));
        return 1;
    }
    std::vector<double> periods;
    for (size_t i = 1; i < timer.shownAtMs.size(); ++i)
        periods.push_back(timer.shownAtMs[i] - timer.shownAtMs[i - 1]);
    const Stats up = stats(timer.upMs);
    const Stats period = stats(periods);
    // One line per figure, for bench/measure.sh to read.
    std::printf("flashes %zu\ninterval_ms %d\n", timer.upMs.size(), interval);
    std::printf("up_mean %.2f\nup_sd %.2f\nup_min %.2f\nup_max %.2f\n", up.mean, up.sd, up.min,
                up.max);
    std::printf("period_mean %.2f\nperiod_min %.2f\nperiod_max %.2f\n", period.mean, period.min,
                period.max);
    return 0;
}
