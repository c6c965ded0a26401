#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace forms {

enum class Icon { Information, Warning, Critical, Question };

// What a modal box would show: tests see it exactly, text, title and icon.
struct Box {
    enum class Kind { Input, Message, Question };
    Kind kind;
    QString text;
    QString title;
    Icon icon;
};

// Answers a box instead of the user: the text typed into an input box (empty for Cancel), the
// caption of the button pressed in a question; ignored for a message box.
using BoxResponder = std::function<QString(const Box&)>;

// Tests: answer every box through `responder`; an empty one brings the real dialogs back.
void SetBoxResponder(BoxResponder responder);

// A modal input box with an empty default; an empty text when cancelled.
QString InputBox(const QString& prompt, const QString& title);

// A modal message box with an OK button; without a title it shows the application's name.
void MsgBox(const QString& text, Icon icon, const QString& title = {});

// The captions of a question's two buttons, in the program's language.
struct Answers {
    QString yes, no;
};

// A modal question with the buttons `answers`, "no" the default; true for "yes". Without a
// title it shows the application's name.
bool Question(const QString& text, const Answers& answers, const QString& title = {});

// The number a user typed, read in the user's locale; nothing when the text is not a finite
// number.
std::optional<double> NumberIn(const QString& text);

} // namespace forms
