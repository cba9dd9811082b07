#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every box of the program passes through here, so that tests can replace the
// real modal boxes with a recorder that answers as scripted.
enum class MessageKind
{
    Information,
    Warning,
    Question
};

struct MessageRequest
{
    MessageKind kind;
    QMessageBox::Icon icon;
    QWidget *parent;
    QString title;
    QString text;
    // The button Enter presses; questions that change data default to No.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

using MessagePresenter = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

// An empty presenter restores the real message boxes.
void setMessagePresenter(MessagePresenter presenter);

// Note the order: text before title. One OK button, no default button.
int showInformation(QWidget *parent, const QString &text, const QString &title);
int showWarning(QWidget *parent, const QString &text, const QString &title);

// Asks with Yes and No; No is focused and the default, so a reflex Enter
// never changes data. True only for Yes.
bool askYesNo(QWidget *parent, const QString &text, const QString &title,
              QMessageBox::Icon icon = QMessageBox::Question);

// From now on no box is shown: each answers at once as its safe button would
// (OK, or No for a question). For the end of the program, which must not
// wait for the agent.
void answerBoxesSafely();

// Shows the store's failure reports as warning boxes without a parent.
void installStoreWarningBoxes();
