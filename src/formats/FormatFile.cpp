#include "formats/FormatFile.h"

#include "formats/SavedFormats.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kQuote = QStringLiteral("\"");
const QString kTwoQuotes = QStringLiteral("\"\"");

QString quoted(const QString& text) {
    return kQuote + QString(text).replace(kQuote, kTwoQuotes) + kQuote;
}

void refuse(UserPrompt& prompt, const QString& path, const QString& text) {
    prompt.inform(path + kLineEnd + kLineEnd + text, programTitle(), PromptIcon::Critical);
}

QString notText() {
    return QCoreApplication::translate("FormatFile", "テキストファイルではないため、インポートできません。");
}

// The bytes of the file, or nothing when it cannot or may not be read; the user has been told why.
std::optional<QByteArray> readImportFile(const QString& path, UserPrompt& prompt) {
    // A folder, pipe or device is no file of formats, and a pipe would keep the program waiting.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        refuse(prompt, path, notText());
        return std::nullopt;
    }
    QFile file(path);
    const QString cannotImport = QCoreApplication::translate("FormatFile", "インポートできませんでした。");
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(prompt, path, cannotImport + kLineEnd + file.errorString());
        return std::nullopt;
    }
    const QString tooLarge = QCoreApplication::translate("FormatFile", "8 MB を超えるファイルはインポートできません。");
    if (file.size() > kMaxImportBytes) {
        refuse(prompt, path, tooLarge);
        return std::nullopt;
    }
    // A file that grows while it is read must not slip past the limit either.
    QByteArray bytes = file.read(kMaxImportBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        refuse(prompt, path, cannotImport + kLineEnd + file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > kMaxImportBytes) {
        refuse(prompt, path, tooLarge);
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString exportDialogTitle() {
    return QCoreApplication::translate("FormatFile", "ｴｸｽﾎﾟｰﾄするﾌｧｲﾙを指定してください");
}

QString importDialogTitle() {
    return QCoreApplication::translate("FormatFile", "ｲﾝﾎﾟｰﾄするﾌｧｲﾙを選んでください");
}

QStringList formatFileNameFilters() {
    return {QCoreApplication::translate("FormatFile", "テキストファイル(*.txt)"),
            QCoreApplication::translate("FormatFile", "すべてのファイル(*.*)")};
}

QByteArray formatFileBytes(const QList<SavedFormat>& formats) {
    QString text;
    for (const SavedFormat& saved : formats)
        text += quoted(saved.name) + QLatin1Char(',') + quoted(saved.format) + kLineEnd;
    return text.toUtf8();
}

std::optional<QString> decodeFormatFile(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    const bool marked = bytes.startsWith(kByteOrderMark);
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(marked ? bytes.mid(3) : bytes);
    if (!utf8.hasError())
        return text;
    if (marked)
        return std::nullopt;
    QStringDecoder shiftJis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (!shiftJis.isValid())
        return std::nullopt;
    text = shiftJis.decode(bytes);
    if (shiftJis.hasError())
        return std::nullopt;
    return text;
}

QStringList formatFileLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char('\r') && !quoted) {
            lines.append(text.mid(start, i - start));
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

std::optional<SavedFormat> cutFormatLine(const QString& line) {
    // Positions count from 1, 0 meaning "none", as in the description of the layout.
    const auto find = [&line](char wanted, qsizetype from) -> qsizetype {
        const qsizetype at = line.indexOf(QLatin1Char(wanted), from - 1);
        return at < 0 ? 0 : at + 1;
    };
    const auto isQuote = [&line](qsizetype position) {
        return line.at(position - 1) == QLatin1Char('"');
    };

    // The separating comma is the first one after a closing quote that no other quote follows first;
    // doubled quotes inside the name pass as a closing and an opening quote.
    qsizetype comma = find(',', 1);
    qsizetype quote = find('"', 1);
    while (comma != 0 && quote != 0 && comma > quote) {
        quote = find('"', quote + 1);
        if (quote == 0) {
            comma = 0;
            break;
        }
        comma = find(',', quote);
        quote = find('"', quote + 1);
    }
    const qsizetype length = line.size();
    if (comma < 3 || length < comma + 2)
        return std::nullopt;
    if (!isQuote(1) || !isQuote(comma - 1) || !isQuote(comma + 1) || !isQuote(length))
        return std::nullopt;
    SavedFormat cut{line.mid(1, comma - 3), line.mid(comma + 1, length - comma - 2)};
    cut.name.replace(kTwoQuotes, kQuote);
    cut.format.replace(kTwoQuotes, kQuote);
    if (cut.name.isEmpty() || cut.format.isEmpty())
        return std::nullopt;
    return cut;
}

bool exportFormats(const SavedFormats& formats, const QString& path, UserPrompt& prompt) {
    const QByteArray bytes = formatFileBytes(formats.formats());
    QSaveFile file(path);
    // Where the folder takes no new file, the file is written in place as before.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        refuse(prompt, path,
               QCoreApplication::translate("FormatFile", "エクスポートできませんでした。") + kLineEnd + reason);
        return false;
    }
    prompt.inform(QCoreApplication::translate("FormatFile", "エクスポート完了！"), programTitle(), PromptIcon::None);
    return true;
}

ImportResult importFormats(SavedFormats& formats, SettingsStore& store, const QString& path, UserPrompt& prompt) {
    ImportResult result;
    const std::optional<QByteArray> bytes = readImportFile(path, prompt);
    if (!bytes)
        return result;
    const std::optional<QString> text = decodeFormatFile(*bytes);
    if (!text) {
        refuse(prompt, path, notText());
        return result;
    }
    result.read = true;

    QList<SavedFormat> added;
    QSet<QString> addedNames;
    QSet<QString> addedFormats;
    for (const QString& line : formatFileLines(*text)) {
        std::optional<SavedFormat> cut = cutFormatLine(line);
        if (!cut || formats.indexOfName(cut->name) != 0 || formats.indexOfFormat(cut->format) != 0 ||
            addedNames.contains(cut->name) || addedFormats.contains(cut->format))
            continue;
        addedNames.insert(cut->name);
        addedFormats.insert(cut->format);
        added.append(std::move(*cut));
    }
    formats.append(added);
    for (const SavedFormat& saved : added)
        store.writeSetting(formatsSection(), saved.name, saved.format);
    if (!added.isEmpty())
        result.stored = store.save();
    result.added = static_cast<int>(added.size());
    prompt.inform(QString::number(result.added) +
                      QCoreApplication::translate("FormatFile", "個のアイテムを追加しました。"),
                  programTitle(), PromptIcon::None);
    return result;
}
