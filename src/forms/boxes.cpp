#include "boxes.h"

#include "program.h"

#include <QApplication>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

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

// Boxes without a title of their own show the application's name.
QString titleOrName(const QString& title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}

QMessageBox::Icon messageIcon(Icon icon)
{
    switch (icon) {
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
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
    const QString shownTitle = titleOrName(title);
    if (responder) {
        responder({Box::Kind::Message, text, shownTitle, icon});
        return;
    }
    QMessageBox box(messageIcon(icon), shownTitle, text, QMessageBox::Ok, activeWindow());
    box.exec();
}

bool Question(const QString& text, const Answers& answers, const QString& title)
{
    if (Ending())
        return false;
    const QString shownTitle = titleOrName(title);
    if (responder)
        return responder({Box::Kind::Question, text, shownTitle, Icon::Question}) == answers.yes;
    QMessageBox box(QMessageBox::Question, shownTitle, text, QMessageBox::NoButton, activeWindow());
    QPushButton* yes = box.addButton(answers.yes, QMessageBox::YesRole);
    QPushButton* no = box.addButton(answers.no, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<double> NumberIn(const QString& text)
{
    // Qt checks that groups hold three digits, but takes "0,001" for 1 where a comma groups
    // thousands: a number written in groups starts with no 0.
    const QLocale locale;
    static const QRegularExpression leadingZero(QStringLiteral("^\\s*[^\\d\\s]?0"));
    const QString group = locale.groupSeparator();
    if (!group.isEmpty() && text.contains(group) && leadingZero.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) // "nan" and "inf" are no periods
        return std::nullopt;
    return value;
}

} // namespace forms
