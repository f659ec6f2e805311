#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

class UserPrompt;

enum class FormatStyle : std::uint8_t { Format, Function };

// A double quote anywhere in the format, or the option, selects the function style.
FormatStyle chooseStyle(const QString& formatText, bool alwaysFunction);

// True when the format holds nothing but blanks: a build then does nothing and says nothing.
bool isBlankFormat(const QString& formatText);

struct BuildResult;

// The common start of both builders: nothing for a blank format, else a result with a row for every
// listed file that counts as failed until the builder has finished.
std::optional<BuildResult> startBuild(const QString& formatText, std::size_t rowCount);

// The finishing step of every built name: trailing full stops and blanks go, then the characters a
// file name cannot hold are deleted or refused (the user is told; nothing is returned). `removed`, when
// given, learns whether characters were deleted.
std::optional<QString> finishName(
    const QString& name, FormatStyle style, bool deleteInvalidChars, UserPrompt& prompt, bool* removed = nullptr);

struct NameChange;

// Gives the row its finished name. A name longer than a folder entry may be is marked as such and kept
// only as far as a message needs it.
void setDestName(NameChange& change, QString name);

// A reference to parse record n inside the working text: CR followed by n in five digits.
QString tokenRef(int record);
constexpr int kTokenRefLength = 6;
constexpr int kMaxRecords = 32766;
constexpr int kMaxPreparedLength = 32766;

// A function-style format made ready for the parser: literals taken out into records 1, 2, … (their
// texts in literals), blanks removed, lower case, bar segments turned into calls.
struct PreparedFormat {
    QString text;
    QStringList literals;
};

std::optional<PreparedFormat> prepareFunctionText(const QString& formatText, UserPrompt& prompt);

// The title of every message about the form of a format.
QString formatErrorTitle();
// The title of name and evaluation errors.
QString nameErrorTitle();
