#include "app/L10n.h"

#include <QLocale>
#include <QTranslator>

namespace tarnwick::L10n {

namespace {

// Loaded once, never installed application-wide: the table serves only these
// lookups, also where no Q*Application exists.
const QTranslator& table() {
    static const QTranslator* const translator = [] {
        auto* t = new QTranslator;
        if (!t->load(QLocale(), QStringLiteral("tarnwick"), QStringLiteral("_"),
                     QStringLiteral(":/i18n"))) {
            (void)t->load(QStringLiteral(":/i18n/tarnwick_en.qm"));
        }
        return t;
    }();
    return *translator;
}

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

QString string(const QString& key) {
    const QByteArray id = key.toUtf8();
    const QString text = table().translate(nullptr, id.constData());
    return text.isEmpty() ? key : text;
}

QString format(const QString& key, const QStringList& arguments) {
    const QString text = string(key);
    // One pass, so that an argument that itself contains "%2" is not filled in
    // again; QString::arg would also warn about texts without placeholders.
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('%') || i + 1 >= text.size() || !isAsciiDigit(text.at(i + 1)) ||
            text.at(i + 1) == QLatin1Char('0')) {
            result.append(c);
            continue;
        }
        qsizetype end = i + 1;
        int number = text.at(end).digitValue();
        ++end;
        if (end < text.size() && isAsciiDigit(text.at(end))) {
            number = number * 10 + text.at(end).digitValue();
            ++end;
        }
        if (number <= arguments.size()) {
            result.append(arguments.at(number - 1));
        } else {
            result.append(QStringView(text).mid(i, end - i));
        }
        i = end - 1;
    }
    return result;
}

} // namespace tarnwick::L10n
