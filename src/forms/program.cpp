#include "program.h"

#include "clock.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include <vector>

namespace forms {
namespace {

bool ending = false;
bool mainLoopRunning = false;
std::vector<QEventLoop*> waits; // innermost last

} // namespace

bool UseQtTranslation(const QLocale& language)
{
    static QTranslator qt;
    if (!qt.load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&qt);
    return true;
}

void DispatchEventsFor(float clockSeconds, bool holdInput)
{
    if (!(clockSeconds > 0.0f) || ending)
        return;
    QEventLoop loop;
    Alarm alarm;
    QObject::connect(&alarm, &Alarm::rings, &loop, &QEventLoop::quit);
    alarm.start(clockSeconds);
    waits.push_back(&loop);
    loop.exec(holdInput ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    waits.pop_back();
}

int Run()
{
    if (ending)
        return 0;
    QApplication::setQuitOnLastWindowClosed(false); // only End() ends the program
    mainLoopRunning = true;
    const int code = QApplication::exec();
    mainLoopRunning = false;
    return code;
}

void End()
{
    if (ending)
        return;
    ending = true;
    // Hiding a modal dialog also ends its exec() loop.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    for (QEventLoop* loop : waits)
        loop->exit();
    // Only when the main loop runs: exit() would also refuse every later nested loop.
    if (mainLoopRunning)
        QCoreApplication::exit(0);
}

bool Ending()
{
    return ending;
}

void ClearEnd()
{
    ending = false;
}

} // namespace forms
