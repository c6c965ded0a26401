#include "testing.h"

#include "forms/clock.h"
#include "forms/folders.h"
#include "forms/program.h"
#include "forms/random.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtGlobal>

#include <QtTest>

#include <cmath>
#include <memory>
#include <random>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace testing {
namespace {

std::unique_ptr<QTemporaryDir> folder;
std::unique_ptr<QObject> thisTest; // what lasts as long as the test

// Qt's own event dispatcher, which blocks only with every posted event delivered: the virtual
// clock jumps only then. Set before main() makes the application.
[[maybe_unused]] const bool qtDispatcher = qputenv("QT_NO_GLIB", "1");

} // namespace

QString Folder()
{
    return folder->path();
}

QString MsgPath()
{
    return folder->filePath(QStringLiteral("msg.txt"));
}

void WriteMsg(const QByteArray& bytes)
{
    QFile file(MsgPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadMsg()
{
    QFile file(MsgPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray NumberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += (i % 2 ? "*M" : "M") + QByteArray::number(i) + "\r\n";
    return bytes;
}

BoxLog& Boxes()
{
    static BoxLog log;
    return log;
}

#ifdef Q_OS_WIN
// Windows has neither a file size limit for a process nor a user to switch to within one; its
// permissions are access lists of user accounts, which the read-only attribute does not touch.

std::optional<QString> WhyNoFileSizeLimit()
{
    return QStringLiteral("Windows has no file size limit to fill the disk with");
}

void LimitFileSize(std::optional<qint64> bytes)
{
    QVERIFY2(!bytes, "no file size limit on Windows");
}

std::optional<QString> BecomeOrdinaryUser()
{
    return QStringLiteral("on Windows, permissions need a second user account");
}

void BecomeSelfAgain() {}

#else

std::optional<QString> WhyNoFileSizeLimit()
{
    return std::nullopt;
}

void LimitFileSize(std::optional<qint64> bytes)
{
    static const rlimit unlimited = [] {
        signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the tests
        rlimit found{};
        getrlimit(RLIMIT_FSIZE, &found);
        return found;
    }();
    rlimit limit = unlimited;
    if (bytes)
        limit.rlim_cur = rlim_t(*bytes);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
}

std::optional<QString> BecomeOrdinaryUser()
{
    if (getuid() != 0)
        return std::nullopt;
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        return QStringLiteral("no user \"nobody\" to test as");
    if (chown(QFile::encodeName(Folder()).constData(), nobody->pw_uid, nobody->pw_gid) != 0 ||
        setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0) {
        BecomeSelfAgain();
        return QStringLiteral("cannot act as \"nobody\"");
    }
    return std::nullopt;
}

void BecomeSelfAgain()
{
    if (geteuid() != getuid())
        QVERIFY(seteuid(getuid()) == 0 && setegid(getgid()) == 0);
}
#endif

void CleanForms(double reading, double speed)
{
    // Under Wine the first text laid out reads every font of the system, a fraction of a second
    // that a fast clock would turn into minutes of the program's time: read them beforehand.
    [[maybe_unused]] static const QStringList fonts = QFontDatabase::families();
    BecomeSelfAgain();
    LimitFileSize(std::nullopt);
    QApplication::setApplicationName(QStringLiteral("Trevolo"));
    QStandardPaths::setTestModeEnabled(true); // never the user's own data folder
    forms::ClearEnd();
    folder = std::make_unique<QTemporaryDir>();
    forms::SetAppPath(folder->path());
    if (speed == virtualTime)
        forms::UseVirtualClock(reading);
    else
        forms::SetClock(reading, speed);
    thisTest = std::make_unique<QObject>();
    forms::SetRndSource({});
    Boxes() = BoxLog{};
    forms::SetBoxResponder([](const forms::Box& box) {
        BoxLog& log = Boxes();
        log.shown.append(box);
        if (log.onShow)
            log.onShow(box);
        if (box.kind != forms::Box::Kind::Message && !log.answers.isEmpty())
            return log.answers.takeFirst();
        return QString();
    });
}

void After(double clockSeconds, QObject* context, std::function<void()> act)
{
    auto* alarm = new forms::Alarm(thisTest.get());
    QObject::connect(alarm, &forms::Alarm::rings, context ? context : alarm, [alarm, act] {
        alarm->deleteLater();
        act();
    });
    alarm->start(clockSeconds);
}

void CompareSpan(float from, float to, float seconds)
{
    const float step = std::nextafter(std::max(std::abs(from), std::abs(to)), HUGE_VALF) -
                       std::max(std::abs(from), std::abs(to));
    QVERIFY2(std::abs(to - from - seconds) <= step,
             qPrintable(QStringLiteral("%1 s from %2 to %3, not %4")
                            .arg(double(to - from), 0, 'g', 9)
                            .arg(double(from), 0, 'g', 9)
                            .arg(double(to), 0, 'g', 9)
                            .arg(double(seconds))));
}

void ScriptRnd(const QList<float>& values)
{
    forms::SetRndSource([values, next = qsizetype(0)]() mutable {
        if (next >= values.size())
            qFatal("The scripted random numbers ran out after %lld draws", qlonglong(next));
        return values[next++];
    });
}

std::function<float()> SeededRnd(quint32 seed)
{
    return [generator = std::mt19937(seed)]() mutable {
        return float(generator() >> 8) / 16777216.0f; // 24 bits: steps a float keeps exact up to 1
    };
}

bool ShownWatch::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        showings.append(Showing{forms::Timer()});
        if (onShow)
            onShow();
    } else if (event->type() == QEvent::Hide && !showings.isEmpty()) {
        showings.last().hidden = forms::Timer();
        if (onHide)
            onHide();
    }
    return false;
}

} // namespace testing
