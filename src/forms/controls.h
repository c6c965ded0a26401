#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QStringList>

#include <vector>

class QLabel;
class QTimer;

namespace forms {

// The first of `families` that is installed, else the application font's family; sizes in
// points as designed (fractions kept).
QFont DesignFont(const QStringList& families, qreal points, bool bold = false, bool italic = false);

// A fixed colour written as &H00BBGGRR&.
QColor ColorBGR(quint32 bgr);

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

    QTimer* timer;
    qint32 ms;
    bool enabled;
};

} // namespace forms
