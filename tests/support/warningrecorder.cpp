#include "warningrecorder.h"

#include "common/messagehook.h"

WarningRecorder::WarningRecorder()
{
    setWarningHook([this](const QString &text, const QString &title) {
        m_warnings.append({title, text});
    });
}

WarningRecorder::~WarningRecorder() { setWarningHook(nullptr); }
