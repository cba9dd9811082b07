#pragma once

#include "widgets/messageboxes.h"

#include <QList>
#include <QMessageBox>
#include <QString>

// Stands in for every message box while it lives: records kind, title and
// text, and answers questions from a scripted queue. Store failures are routed
// through it as warning boxes, the way the program shows them. A question
// nobody scripted is answered No and counted as unexpected.
class MessageRecorder
{
public:
    struct Message
    {
        MessageKind kind;
        QMessageBox::Icon icon;
        QString title;
        QString text;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    void answerNext(QMessageBox::StandardButton answer) { m_answers.append(answer); }

    const QList<Message> &messages() const { return m_messages; }
    int count() const { return int(m_messages.size()); }
    Message last() const { return m_messages.isEmpty() ? Message{} : m_messages.last(); }
    QStringList texts() const;
    void clear() { m_messages.clear(); }
    int unexpectedQuestions() const { return m_unexpected; }
    int pendingAnswers() const { return int(m_answers.size()); }

private:
    QList<Message> m_messages;
    QList<QMessageBox::StandardButton> m_answers;
    int m_unexpected = 0;
};
