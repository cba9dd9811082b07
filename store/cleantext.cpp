#include "cleantext.h"

#include <QSqlRecord>
#include <QVariant>

namespace {
bool needsCleaning(const QString &text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            return true;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return true;
    }
    return false;
}
} // namespace

QString cleanText(const QString &text)
{
    // Nearly all text is clean; keep it shared instead of copying it.
    if (!needsCleaning(text))
        return text;
    QString cleaned;
    cleaned.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            continue;
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            cleaned += c;
            cleaned += text.at(++i);
        } else if (c.isSurrogate()) {
            cleaned += QChar::ReplacementCharacter;
        } else {
            cleaned += c;
        }
    }
    return cleaned;
}

void cleanRecordTexts(QSqlRecord &record)
{
    for (int i = 0; i < record.count(); ++i) {
        const QVariant value = record.value(i);
        if (value.typeId() == QMetaType::QString && !value.isNull())
            record.setValue(i, cleanText(value.toString()));
    }
}
