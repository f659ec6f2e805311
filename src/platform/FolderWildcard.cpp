#include "platform/FolderWildcard.h"

#include <QList>
#include <QStringView>

namespace {

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Iterative glob match with single-star backtracking: linear in practice, never exponential.
bool globMatch(QStringView name, QStringView pattern) {
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool matchesOne(QStringView name, QStringView pattern) {
    if (pattern == u"*.*" || pattern == u"*")
        return true;
    if (globMatch(name, pattern))
        return true;
    // "name.*" also stands for "name" without an extension.
    if (pattern.endsWith(u".*") && !name.contains(QLatin1Char('.')))
        return globMatch(name, pattern.chopped(2));
    return false;
}

} // namespace

bool matchesFolderWildcard(const QString& name, const QString& wildcard) {
    const QStringView all(wildcard);
    if (!all.contains(QLatin1Char(';')))
        return matchesOne(name, all);
    for (const QStringView part : all.split(QLatin1Char(';'))) {
        const QStringView trimmed = part.trimmed();
        if (!trimmed.isEmpty() && matchesOne(name, trimmed))
            return true;
    }
    return false;
}
