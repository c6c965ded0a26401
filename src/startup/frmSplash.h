#pragma once

#include <QFrame>

class QLabel;

// The still picture shown while the program starts: no title bar, not in the taskbar, centred.
class frmSplash : public QFrame {
    Q_OBJECT
public:
    frmSplash();

    QFrame* Frame1;
    QLabel* imgLogo;
    QLabel* lblCompanyProduct;
    QLabel* lblProductName;
};
