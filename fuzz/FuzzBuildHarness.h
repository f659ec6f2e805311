#pragma once

// Shared by the fuzz target and the regression test, so that a stored input replays exactly the
// build that found it. Header only: the test target cannot take a source from this folder.

#include "expression/BuildTypes.h"
#include "expression/PlanBuilder.h"
#include "fakes/FixedClock.h"
#include "fakes/ListedRows.h"
#include "filelist/FileRow.h"
#include "platform/UserPrompt.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <vector>

// Answers every box with its default (an input box with its preset) and keeps nothing, so that a
// long run does not grow.
class QuietPrompt final : public UserPrompt {
public:
    PromptAnswer message(const QString& /*text*/,
                         const QString& /*title*/,
                         PromptIcon /*icon*/,
                         PromptButtons /*buttons*/,
                         PromptAnswer defaultAnswer) override {
        return defaultAnswer;
    }
    std::optional<QString> input(const QString& /*prompt*/, const QString& /*title*/, const QString& preset) override {
        return preset;
    }
};

// One fuzz input is one build over a few fixed rows. The first byte holds the options (bit 0 always
// function style, bit 1 delete invalid characters, bit 2 keep unformatted values), the rest is the
// format text as UTF-8, invalid sequences replaced. Seeds start with '6' (segment style allowed) or
// '7' (function style forced), both with the other two options on.
class FuzzBuildHarness final {
public:
    FuzzBuildHarness() {
        const QString folder = m_folder.path() + QLatin1Char('/');
        struct Entry {
            const char* name;
            const char* size;
            const char* lastWrite;
            const char* attributes;
            bool onDisk;
        };
        // A base name with and without extension, a double extension, a dot file, half-width kana with
        // a blank, and a row whose file has gone (disk variables then read as missing).
        const Entry entries[] = {
            {"photo.jpg", "1,234,567", "2024/01/31 9:05:07", "A", true},
            {"archive.tar.gz", "0", "2023/12/31 23:59:59", "RA", true},
            {"README", "100", "2000/02/29", "", true},
            {".profile", "12", "1999/12/31 12:00:00", "H", true},
            {"ﾃﾞｰﾀ 01.TXT", "4,096", "2024/01/31 9:05:07", "A", true},
            {"gone.txt", "7", "2024/02/01 0:00:01", "", false},
        };
        for (const Entry& entry : entries) {
            const QString name = QString::fromUtf8(entry.name);
            if (entry.onDisk) {
                QFile file(folder + name);
                if (file.open(QIODevice::WriteOnly))
                    file.write(QByteArray(entry.name));
            }
            m_rows.push_back(readRow(name, folder, QString::fromUtf8(entry.size).remove(u',').toLongLong(),
                                     QString::fromUtf8(entry.lastWrite), QString::fromUtf8(entry.attributes)));
        }
    }

    static BuildOptions optionsFromByte(std::uint8_t bits) {
        BuildOptions options;
        options.alwaysFunction = (bits & 1U) != 0;
        options.deleteInvalidChars = (bits & 2U) != 0;
        options.keepUnformatted = (bits & 4U) != 0;
        return options;
    }

    static QString formatFromBytes(const std::uint8_t* data, std::size_t size) {
        if (size < 2)
            return {};
        return QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    }

    BuildResult run(const std::uint8_t* data, std::size_t size, UserPrompt& prompt) const {
        const BuildOptions options = optionsFromByte(size > 0 ? data[0] : 7U);
        return buildPlan(formatFromBytes(data, size), {m_rows, options, prompt, m_clock, m_fs});
    }

    // What every finished build must keep, whatever the format: a name per row, none of them able to
    // leave its folder or hold a character that a name cannot.
    [[nodiscard]] bool keepsPromises(const BuildResult& result) const {
        if (result.status != BuildStatus::Built)
            return true;
        if (result.rows.size() != m_rows.size())
            return false;
        for (const NameChange& change : result.rows) {
            for (const QChar c : change.destName) {
                if (QStringView(u"\\/:*?\"<>|").contains(c))
                    return false;
            }
        }
        return true;
    }

    [[nodiscard]] bool ready() const { return m_folder.isValid(); }
    [[nodiscard]] const std::vector<FileRow>& rows() const { return m_rows; }

private:
    QTemporaryDir m_folder;
    std::vector<FileRow> m_rows;
    LinuxFileSystem m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(13, 45, 10))};
};
