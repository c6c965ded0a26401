#pragma once

#include "forms/boxes.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>
#include <optional>
#include <type_traits>

namespace testing {

// Every test of the platform layer starts here: the program not ending, the clock reading
// `reading` and running `speed` times faster than real time, or in virtual time for no speed,
// the real random generator, every box answered by the log below, and the executable's folder a
// fresh empty temporary one (see Folder()).
constexpr double virtualTime = 0.0;
void CleanForms(double reading = 0.0, double speed = virtualTime);

// Runs `act` once `clockSeconds` of the program clock have passed, while `context` lasts, and
// never in a later test.
void After(double clockSeconds, QObject* context, std::function<void()> act);

// The boxes shown since the last CleanForms(), and the answers the input boxes and questions
// get in turn (an empty answer, as Cancel or "No" gives, once they run out).
struct BoxLog {
    QList<forms::Box> shown;
    QStringList answers;
    std::function<void(const forms::Box&)> onShow; // runs while the box is "open"
};
BoxLog& Boxes();

// The executable's folder for this test, where msg.txt goes.
QString Folder();
QString MsgPath();
void WriteMsg(const QByteArray& bytes);
QByteArray ReadMsg();

// A msg.txt of `count` numbered CR LF lines, the odd ones active: "*M1", "M2", "*M3", ...
QByteArray NumberedLines(int count);

// Random numbers that follow `values` in turn; running out fails the test loudly.
void ScriptRnd(const QList<float>& values);

// Numbers as Rnd() draws them, 0 <= r < 1 in steps of 2^-24, from a generator of our own seeded
// with `seed`: the same ones every run.
std::function<float()> SeededRnd(quint32 seed);

// Two readings of the program clock taken `seconds` apart: the virtual clock is exact, and a
// reading of it is single precision, so they may differ but for one step of that precision
// at the readings' size (1/128 s near midnight, 6e-5 s in the first thousand seconds).
void CompareSpan(float from, float to, float seconds);

// Runs `act` from inside the next modal loop, on its window, `clockSeconds` of the program clock
// after this call. Without a modal `Window` then the test fails, and any other modal window is
// closed so that its loop returns.
template <class Window = QWidget>
void InModal(double clockSeconds, std::type_identity_t<std::function<void(Window&)>> act)
{
    After(clockSeconds, nullptr, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = qobject_cast<Window*>(modal);
        if (modal && !window)
            modal->close();
        QVERIFY2(window, ("no modal " + QByteArray(Window::staticMetaObject.className())).data());
        act(*window);
    });
}

// Follows one widget being shown and hidden again, on the program clock. The hooks run inside
// its Show and Hide events.
class ShownWatch : public QObject {
public:
    struct Showing {
        float shown;
        float hidden = -1.0f; // still shown
    };
    QList<Showing> showings;
    std::function<void()> onShow, onHide;

    explicit ShownWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override;
};

// A full disk: writes past `bytes` into any file fail (EFBIG; SIGXFSZ is ignored). Nothing
// lifts the limit again, as does CleanForms(). WhyNoFileSizeLimit() tells why a system has none.
void LimitFileSize(std::optional<qint64> bytes);
std::optional<QString> WhyNoFileSizeLimit();

// Acts from now on as an ordinary user, for whom permissions count: "nobody", owning the
// test's folder, when the tests run as root (until CleanForms() or BecomeSelfAgain()); the user
// running them otherwise. Returns why it cannot, or nothing.
std::optional<QString> BecomeOrdinaryUser();
void BecomeSelfAgain();

} // namespace testing
