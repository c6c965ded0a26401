#pragma once

#include <QSize>

#include <functional>

class QWidget;

// Where windows go on the screen, whatever the window manager does in between.
namespace forms {

// Calls `activate`, queued, once `window` has first been shown maximised. On X11 the window
// manager maximises a window some time after it is shown, so this waits for the frame to fill
// the screen's free area, but no longer than `deadlineMs`: then it goes on at whatever size the
// window has.
void WhenFirstShownMaximised(QWidget* window, std::function<void()> activate,
                             int deadlineMs = 3000);

// Gives `dialog` the client size `client` and centres it over the window that owns it (else on
// its screen), inside the screen. On a screen too small for `client` the dialog takes the
// screen's free area instead: a minimum larger than the screen would put its title bar and
// close button out of reach. The dialog's own frame is only known once it is shown, and can
// differ from its owner's: it is then placed again, once.
void CentreOverOwner(QWidget* dialog, QSize client);

} // namespace forms
