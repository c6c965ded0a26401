#pragma once

#include "clock.h"
#include "units.h"

#include <QColor>
#include <QFont>
#include <QListWidget>
#include <QObject>
#include <QStringList>

#include <vector>

class QLabel;

namespace forms {

// The first of `families` that is installed, else the application font's family; sizes in
// points as designed (fractions kept).
QFont DesignFont(const QStringList& families, qreal points, bool bold = false, bool italic = false);

// A fixed colour written as &H00BBGGRR&.
QColor ColorBGR(quint32 bgr);

// A control's place in its container, in twips, as designed.
struct Twips {
    float left, top, width, height;
};

// A new control of `parent` at `place`; `args` are the ones its constructor takes before the
// parent.
template <class Control, class... Args>
Control* Create(QWidget* parent, Twips place, Args&&... args)
{
    auto* control = new Control(std::forward<Args>(args)..., parent);
    Move(control, place.left, place.top, place.width, place.height);
    return control;
}

// A list box whose keyboard highlights wherever it lands, as a native one does: the highlighted
// item is the current one. Otherwise a keyboard user could never highlight the only item.
class ListBox : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// Shows `widget` while `wait` waits `seconds` of the clock, then hides it. A modal window
// opened during the wait keeps the wait from returning until it closes; the widget still goes
// on time.
void ShowWhileWaiting(QWidget* widget, float seconds, void (*wait)(float));

// A control array of labels: element 0 is the design-time template; loading element k copies
// its caption, font, geometry, alignment and colours, and the new element starts hidden.
class LabelArray {
public:
    explicit LabelArray(QLabel* element0);
    QLabel* operator()(int index) const; // an element that is not loaded is a run-time error
    void Load(int index);
    int Count() const;

private:
    std::vector<QLabel*> elements;
};

// The windows' timer: an interval in milliseconds of the program clock and an enabled flag;
// raises Timer() once per interval while enabled. Setting either restarts the count.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    IntervalTimer(QObject* parent, qint32 interval, bool enabled);
    qint32 interval() const { return ms; }
    void setInterval(qint32 interval);
    bool isEnabled() const { return enabled; }
    void setEnabled(bool on);

signals:
    void Timer();

private:
    void restart();

    Alarm* timer;
    qint32 ms;
    bool enabled;
};

} // namespace forms
