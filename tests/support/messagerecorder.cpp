#include "messagerecorder.h"

#include "common/messagehook.h"

MessageRecorder::MessageRecorder()
{
    setMessagePresenter([this](const MessageRequest &request) {
        m_messages.append(
            {request.kind, request.icon, request.title, request.text, request.defaultButton});
        if (request.kind != MessageKind::Question)
            return QMessageBox::Ok;
        if (m_answers.isEmpty()) {
            ++m_unexpected;
            return QMessageBox::No;
        }
        return m_answers.takeFirst();
    });
    installStoreWarningBoxes();
}

MessageRecorder::~MessageRecorder()
{
    setMessagePresenter(nullptr);
    setWarningHook(nullptr);
}

QStringList MessageRecorder::texts() const
{
    QStringList result;
    for (const Message &message : m_messages)
        result.append(message.text);
    return result;
}
