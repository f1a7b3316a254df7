#pragma once

#include <QString>
#include <QStringList>

namespace tarnwick::L10n {

// The text under key in the string table, or the key itself when there is none.
QString string(const QString& key);

// That text with %1, %2, ... filled by the arguments in order. A text without
// placeholders comes back unchanged, with no warning.
QString format(const QString& key, const QStringList& arguments);

template <typename... Args> QString format(const QString& key, const Args&... arguments) {
    return format(key, QStringList{QString(arguments)...});
}

} // namespace tarnwick::L10n
