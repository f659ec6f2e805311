#pragma once

#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

struct SavedFormat;
class SavedFormats;
class UserPrompt;

// The file of exported formats: one line per format, a double quote, the name, a double quote, a comma,
// a double quote, the format, a double quote, CR LF; in UTF-8. A double quote inside a name or format is
// written twice, which the import reads as one, so that every text comes back as it was.

QString exportDialogTitle();
QString importDialogTitle();
// The file types offered by both dialogs, text files first.
QStringList formatFileNameFilters();

// Larger files are refused, not read in part.
constexpr qint64 kMaxImportBytes = qint64(8) << 20;

QByteArray formatFileBytes(const QList<SavedFormat>& formats);
// UTF-8, with or without a byte-order mark, else Shift_JIS (code page 932); nothing when the bytes are
// neither or hold a NUL, i.e. are no text.
std::optional<QString> decodeFormatFile(const QByteArray& bytes);
// A CR ends a line unless it lies between double quotes, and a CR LF pair ends it once; a lone LF is part
// of the line.
QStringList formatFileLines(const QString& text);
// The name and format of a line, or nothing when the line does not hold both between double quotes.
std::optional<SavedFormat> cutFormatLine(const QString& line);

// Writes every registered format to path and says how it went: "done" only once the whole file is
// written and closed, else the file and the system's reason.
bool exportFormats(const SavedFormats& formats, const QString& path, UserPrompt& prompt);

struct ImportResult {
    bool read = false; // the file was read; when not, the user has been told why
    int added = 0;
    // How writing the added formats to the store went.
    SettingsResult stored;
};

// Adds the formats of the file whose names and formats are both new, writes them to the store at once and
// tells how many were added.
ImportResult importFormats(SavedFormats& formats, SettingsStore& store, const QString& path, UserPrompt& prompt);
