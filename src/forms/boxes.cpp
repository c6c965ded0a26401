#include "boxes.h"

#include "program.h"

#include <QApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>

#include <cmath>

namespace forms {
namespace {

BoxResponder responder;

QWidget* activeWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon messageIcon(Icon icon)
{
    switch (icon) {
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

void SetBoxResponder(BoxResponder answer)
{
    responder = std::move(answer);
}

QString InputBox(const QString& prompt, const QString& title)
{
    if (Ending())
        return {};
    if (responder)
        return responder({Box::Kind::Input, prompt, title, Icon::Information});

    QInputDialog dialog(activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue({});
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void MsgBox(const QString& text, Icon icon, const QString& title)
{
    if (Ending())
        return;
    const QString shownTitle = title.isEmpty() ? QApplication::applicationName() : title;
    if (responder) {
        responder({Box::Kind::Message, text, shownTitle, icon});
        return;
    }
    QMessageBox box(messageIcon(icon), shownTitle, text, QMessageBox::Ok, activeWindow());
    box.exec();
}

std::optional<double> NumberIn(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) // "nan" and "inf" are no periods
        return std::nullopt;
    return value;
}

} // namespace forms
