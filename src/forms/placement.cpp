#include "placement.h"

#include <QEvent>
#include <QMargins>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace forms {
namespace {

class FirstMaximised : public QObject {
public:
    FirstMaximised(QWidget* window, std::function<void()> activate, int deadlineMs)
        : QObject(window)
        , window(window)
        , activate(std::move(activate))
        , deadlineMs(deadlineMs)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::Show:
            if (!deadlinePassed)
                QTimer::singleShot(deadlineMs, this, [this] {
                    deadlinePassed = true;
                    check();
                });
            check();
            break;
        case QEvent::Resize:
        case QEvent::WindowStateChange:
        case QEvent::Move: // a frame that comes late moves the window into it
            check();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void check()
    {
        if (done || !window->isVisible() || (!settled() && !deadlinePassed))
            return;
        done = true;
        window->removeEventFilter(this);
        // Queued: what it calls may never return, so it must not run inside Qt's own event
        // handling.
        QMetaObject::invokeMethod(window, activate, Qt::QueuedConnection);
    }

    // Maximised, and the window fills the screen's free area: its inside lies within the area and
    // its frame covers it. On Windows a maximised frame reaches past the area, its borders off
    // the screen. The frame's sides and the inside are each rounded to device-independent
    // pixels, so at a scale factor other than 1 they can add up to a pixel or two more or less
    // than the area.
    bool settled() const
    {
        constexpr int roundingSlack = 2;
        const QMargins slack(roundingSlack, roundingSlack, roundingSlack, roundingSlack);
        const QRect area = window->screen()->availableGeometry();
        return window->windowState() == Qt::WindowMaximized &&
               window->frameGeometry().contains(area - slack) &&
               (area + slack).contains(window->geometry());
    }

    QWidget* window;
    std::function<void()> activate;
    int deadlineMs;
    bool deadlinePassed = false;
    bool done = false;
};

class OwnerCentred : public QObject {
public:
    OwnerCentred(QWidget* dialog, QSize client)
        : QObject(dialog)
        , dialog(dialog)
        , client(client)
    {
        // Not framed yet: the window manager frames it like its owner, most likely.
        const QWidget* owner = dialog->parentWidget();
        const QWindow* ownerWindow = owner ? owner->windowHandle() : nullptr;
        place(ownerWindow ? ownerWindow->frameMargins() : QMargins());
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if ((e->type() == QEvent::Move || e->type() == QEvent::Resize) && dialog->isVisible()) {
            const QMargins frame = dialog->windowHandle()->frameMargins();
            if (!frame.isNull()) {
                dialog->removeEventFilter(this);
                if (frame != assumed)
                    place(frame);
            }
        }
        return false;
    }

private:
    void place(const QMargins& frame)
    {
        assumed = frame;
        const QWidget* owner = dialog->parentWidget();
        const QRect screen = (owner ? owner->screen() : dialog->screen())->availableGeometry();
        dialog->setMinimumSize(client.boundedTo(screen.size().shrunkBy(frame)));
        dialog->resize(dialog->minimumSize());

        QRect outer({}, dialog->size().grownBy(frame));
        outer.moveCenter(owner ? owner->frameGeometry().center() : screen.center());
        outer.moveTopLeft(
            {std::clamp(outer.left(), screen.left(), screen.right() + 1 - outer.width()),
             std::clamp(outer.top(), screen.top(), screen.bottom() + 1 - outer.height())});
        dialog->move(outer.topLeft()); // a window's position is its frame's
    }

    QWidget* dialog;
    QSize client;
    QMargins assumed; // the frame it was last placed for
};

} // namespace

void WhenFirstShownMaximised(QWidget* window, std::function<void()> activate, int deadlineMs)
{
    new FirstMaximised(window, std::move(activate), deadlineMs);
}

void CentreOverOwner(QWidget* dialog, QSize client)
{
    new OwnerCentred(dialog, client);
}

} // namespace forms
