#include "nameencoding.h"

#include "store/cleantext.h"

#include <QByteArray>

QString encodeName(const QString &plain)
{
    return QString::fromLatin1(cleanText(plain).toUtf8().toBase64());
}

QString decodeName(const QString &stored)
{
    return QString::fromUtf8(QByteArray::fromBase64(stored.toLatin1()));
}
