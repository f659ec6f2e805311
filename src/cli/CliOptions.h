#pragma once

#include "execution/RunOptions.h"

#include <QStringList>

#include <optional>

enum class CliAction : std::uint8_t { Names, Test, Run, Undo, History, Help };

struct CliOptions {
    CliAction action = CliAction::Names;
    RunOptions run;
    bool answerYes = false;
    qint64 undoRun = 0; // the run --undo names; 0: the last one not yet undone
    // --names prints each row's state beside its new name.
    bool status = false;
    QString format;
    QStringList paths;
};

// Reads the arguments (without the program name); nothing and a message for wrong usage.
std::optional<CliOptions> parseCliArguments(const QStringList& arguments, QString& error);

QString cliUsage();
