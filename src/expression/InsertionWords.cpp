#include "expression/InsertionWords.h"

namespace {

QStringList sortedWords(const QString& list) {
    QStringList words = list.split(QLatin1Char(' '));
    selectionSort(words);
    return words;
}

} // namespace

void selectionSort(QStringList& words) {
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        qsizetype smallest = i;
        for (qsizetype j = i + 1; j < words.size(); ++j) {
            if (QString::compare(words[j], words[smallest], Qt::CaseSensitive) < 0)
                smallest = j;
        }
        if (smallest != i)
            words.swapItemsAt(i, smallest);
    }
}

QStringList functionMenuWords() {
    // setlastaccesstime is understood but has no menu item.
    return sortedWords(QStringLiteral("Format Mid Right Left Len Val Str CDate Int Hex Oct EVal Number InStr InstrRev "
                                      "StrConv String Replace SetAttr SetCreationTime SetLastWriteTime"));
}

QStringList variableMenuWords() {
    return sortedWords(QStringLiteral(
        "Name FileName Extention Size GetAttr CreationTime LastAccessTime LastWriteTime Now ShortName Count Index"));
}
