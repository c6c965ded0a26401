#include "controls.h"

#include "clock.h"
#include "program.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>

namespace forms {

QFont DesignFont(const QStringList& families, qreal points, bool bold, bool italic)
{
    QFont font = QApplication::font();
    for (const QString& family : families) {
        if (QFontDatabase::hasFamily(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QColor ColorBGR(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void ListBox::focusInEvent(QFocusEvent* e)
{
    QListWidget::focusInEvent(e);
    const bool tabbed = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    if (tabbed && selectedItems().isEmpty() && count() > 0)
        setCurrentRow(std::max(currentRow(), 0));
}

void ListBox::keyPressEvent(QKeyEvent* e)
{
    static constexpr int moves[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                    Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!plain || std::find(std::begin(moves), std::end(moves), e->key()) == std::end(moves)) {
        QListWidget::keyPressEvent(e);
        return;
    }
    // With nothing current Qt starts every move at the first item; End means the last.
    if (currentRow() < 0 && e->key() == Qt::Key_End)
        setCurrentRow(count() - 1);
    else
        QListWidget::keyPressEvent(e);
    if (currentRow() >= 0) // a move that stays put, on a one-item list, still highlights
        setCurrentRow(currentRow());
    e->accept();
}

void ShowWhileWaiting(QWidget* widget, float seconds, void (*wait)(float))
{
    // Hides the widget on time even while a modal window keeps the wait from returning. A timer
    // may ring early (under Wine, by a tenth of its time), so it goes by the clock, and waits
    // again for what is left. It rings up to a step late: aimed a step early, it ends the
    // flash within a step of its time.
    const double step = TimerStep();
    const double shownAt = Elapsed();
    const auto left = [&] { return seconds - (Elapsed() - shownAt); };
    Alarm hide;
    QObject::connect(&hide, &Alarm::rings, widget, [&] {
        if (left() > step)
            hide.start(left() - step);
        else
            widget->hide();
    });
    hide.start(seconds - step); // before show(), whose own work counts in the time shown
    widget->show();
    wait(seconds);
    // The wait reads the clock in its single-precision steps, and may end one of them early.
    for (double l = left(); l > step && !Ending(); l = left())
        DispatchEventsFor(float(l));
    widget->hide();
}

LabelArray::LabelArray(QLabel* element0)
    : elements{element0}
{
}

QLabel* LabelArray::operator()(int index) const
{
    if (index < 0 || size_t(index) >= elements.size() || !elements[size_t(index)])
        qFatal("Control array element %d is not loaded", index);
    return elements[size_t(index)];
}

void LabelArray::Load(int index)
{
    if (index <= 0)
        qFatal("Control array element %d cannot be loaded", index);
    if (size_t(index) >= elements.size())
        elements.resize(size_t(index) + 1, nullptr);
    if (elements[size_t(index)])
        qFatal("Control array element %d is already loaded", index);

    const QLabel* element0 = elements.front();
    auto* label = new QLabel(element0->text(), element0->parentWidget());
    label->setFont(element0->font());
    label->setGeometry(element0->geometry());
    label->setAlignment(element0->alignment());
    label->setPalette(element0->palette());
    label->setAutoFillBackground(element0->autoFillBackground());
    label->hide();
    elements[size_t(index)] = label;
}

int LabelArray::Count() const
{
    return int(std::count_if(elements.begin(), elements.end(), [](QLabel* l) { return l; }));
}

IntervalTimer::IntervalTimer(QObject* parent, qint32 interval, bool enabled)
    : QObject(parent)
    , timer(new Alarm(this))
    , ms(interval)
    , enabled(enabled)
{
    // Queued, so that the timer's own event has returned before a handler waits: Qt does not
    // fire a timer again while its event is still on the stack, as it would be under a modal
    // window opened during the wait.
    connect(
        timer, &Alarm::rings, this,
        [this] {
            if (this->enabled && !Ending())
                emit Timer();
        },
        Qt::QueuedConnection);
    restart();
}

void IntervalTimer::setInterval(qint32 interval)
{
    ms = interval;
    restart();
}

void IntervalTimer::setEnabled(bool on)
{
    enabled = on;
    restart();
}

void IntervalTimer::restart()
{
    timer->stop();
    // An interval of 0 never fires.
    if (enabled && ms > 0)
        timer->start(ms / 1000.0, true);
}

} // namespace forms
