#include "messageboxes.h"

#include "common/messagehook.h"

namespace {
MessagePresenter &currentPresenter()
{
    static MessagePresenter presenter;
    return presenter;
}

bool safeAnswers = false;

QMessageBox::StandardButton present(const MessageRequest &request)
{
    if (safeAnswers)
        return request.kind == MessageKind::Question ? QMessageBox::No : QMessageBox::Ok;
    if (currentPresenter())
        return currentPresenter()(request);
    QMessageBox::StandardButtons buttons = request.kind == MessageKind::Question
                                               ? (QMessageBox::Yes | QMessageBox::No)
                                               : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(request.icon, request.title, request.text, buttons, request.parent);
    box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void answerBoxesSafely()
{
    safeAnswers = true;
}

void setMessagePresenter(MessagePresenter presenter)
{
    currentPresenter() = std::move(presenter);
}

int showInformation(QWidget *parent, const QString &text, const QString &title)
{
    return present({MessageKind::Information, QMessageBox::Information, parent, title, text});
}

int showWarning(QWidget *parent, const QString &text, const QString &title)
{
    return present({MessageKind::Warning, QMessageBox::Warning, parent, title, text});
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title, QMessageBox::Icon icon)
{
    return present({MessageKind::Question, icon, parent, title, text, QMessageBox::No}) ==
           QMessageBox::Yes;
}

void installStoreWarningBoxes()
{
    setWarningHook(
        [](const QString &text, const QString &title) { showWarning(nullptr, text, title); });
}
