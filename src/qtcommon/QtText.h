#pragma once
// The engine's Text and Qt's QString hold the same UTF-16 code units.
#include <QString>

#include "platform/Text.h"
#include "translation/Translation.h"

inline QString Q(TextView text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}
inline Text ToText(const QString& text) {
    return text.toStdU16String();
}

// An English text of the window in the language chosen.
inline QString Tr(TextView english) {
    return Q(TranslateText(english));
}
