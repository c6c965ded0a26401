// CPU time of a five-second wait: a loop that polls the clock and pumps events, as the program
// once waited, against modGral::Espera, which sleeps in the event loop.
#include "forms/clock.h"
#include "startup/modGral.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <time.h> // clock_gettime

namespace {

constexpr float waitSeconds = 5.0f;

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Polls until the clock has moved on `seconds`, across midnight too.
void pollingWait(float seconds)
{
    const float inicio = forms::Timer();
    for (;;) {
        float ahora = forms::Timer();
        if (ahora < inicio)
            ahora += 86400.0f;
        if (ahora - inicio >= seconds)
            return;
        QCoreApplication::processEvents();
    }
}

struct Cost {
    double cpu;
    double wall;
};

template <typename Wait> Cost measure(Wait wait)
{
    QElapsedTimer wall;
    const double cpu = cpuSeconds();
    wall.start();
    wait();
    return {cpuSeconds() - cpu, double(wall.nsecsElapsed()) / 1e9};
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const Cost polling = measure([] { pollingWait(waitSeconds); });
    const Cost espera = measure([] { modGral::Espera(waitSeconds); });
    // One line per figure, for bench/measure.sh to read.
    std::printf("qt %s\n", qVersion());
    std::printf("polling_cpu %.6f\npolling_wall %.3f\n", polling.cpu, polling.wall);
    std::printf("espera_cpu %.6f\nespera_wall %.3f\n", espera.cpu, espera.wall);
    if (espera.cpu > 0.0)
        std::printf("ratio %.0f\n", polling.cpu / espera.cpu);
    else
        std::printf("ratio inf\n");
    return 0;
}
