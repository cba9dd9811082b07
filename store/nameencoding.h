#pragma once

#include <QString>
#include <QVariant>

// Prospect names and companies are kept as Base64 of their UTF-8 bytes.
QString encodeName(const QString &plain);
QString decodeName(const QString &stored);
