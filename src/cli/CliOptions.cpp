#include "cli/CliOptions.h"

#include <algorithm>

namespace {

bool isOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

// Options that take no value, and what each one sets.
struct Switch {
    const char* name;
    void (*apply)(CliOptions&);
};

const Switch kSwitches[] = {
    {"--always-function",
     [](CliOptions& o) {
         o.run.build.alwaysFunction = true;
     }},
    {"--no-always-function",
     [](CliOptions& o) {
         o.run.build.alwaysFunction = false;
     }},
    {"--delete-invalid-chars",
     [](CliOptions& o) {
         o.run.build.deleteInvalidChars = true;
     }},
    {"--reject-invalid-chars",
     [](CliOptions& o) {
         o.run.build.deleteInvalidChars = false;
     }},
    {"--keep-unformatted",
     [](CliOptions& o) {
         o.run.build.keepUnformatted = true;
     }},
    {"--convert-unformatted",
     [](CliOptions& o) {
         o.run.build.keepUnformatted = false;
     }},
    {"--copy",
     [](CliOptions& o) {
         o.run.copy = true;
     }},
    {"--renumber",
     [](CliOptions& o) {
         o.run.renumberOnCollision = true;
     }},
    {"--recycle",
     [](CliOptions& o) {
         o.run.recycled = true;
     }},
    {"--no-recycle",
     [](CliOptions& o) {
         o.run.recycled = false;
     }},
    {"--no-confirmation",
     [](CliOptions& o) {
         o.run.noConfirmation = true;
     }},
    {"--multidest",
     [](CliOptions& o) {
         o.run.multidestFiles = true;
     }},
    {"--yes",
     [](CliOptions& o) {
         o.answerYes = true;
     }},
    {"--status",
     [](CliOptions& o) {
         o.status = true;
     }},
};

struct Action {
    const char* name;
    CliAction action;
};

const Action kActions[] = {
    {"--names", CliAction::Names}, {"--test", CliAction::Test},       {"--run", CliAction::Run},
    {"--undo", CliAction::Undo},   {"--history", CliAction::History}, {"--help", CliAction::Help},
};

// RUN as --history shows it: a number from 1.
std::optional<qint64> runNumber(const QString& text) {
    bool ok = false;
    const qint64 run = text.toLongLong(&ok);
    if (!ok || run < 1 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    return run;
}

} // namespace

std::optional<CliOptions> parseCliArguments(const QStringList& arguments, QString& error) {
    CliOptions options;
    std::optional<CliAction> action;
    qsizetype i = 0;
    // Options come first: the first argument that is not one (or what follows "--") is the format, and
    // every argument after the format is a path, whatever it looks like.
    for (; i < arguments.size() && isOption(arguments[i]); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            ++i;
            break;
        }
        bool known = false;
        for (const Action& candidate : kActions) {
            if (argument == QLatin1String(candidate.name)) {
                if (action && *action != candidate.action) {
                    error =
                        QStringLiteral("only one of --names, --test, --run, --undo, --history and --help may be given");
                    return std::nullopt;
                }
                action = candidate.action;
                known = true;
            }
        }
        // --undo names its run in the next argument or after "=", or takes the last one not yet undone.
        if (argument == QLatin1String("--undo") || argument.startsWith(QLatin1String("--undo="))) {
            QString run;
            if (argument != QLatin1String("--undo"))
                run = argument.mid(qsizetype(sizeof "--undo=") - 1);
            else if (i + 1 < arguments.size() && !isOption(arguments[i + 1]))
                run = arguments[++i];
            else
                continue;
            const auto number = runNumber(run);
            if (!number) {
                error = QStringLiteral("RUN must be the number of a run, as --history shows it: ") + run;
                return std::nullopt;
            }
            if (action && *action != CliAction::Undo) {
                error = QStringLiteral("only one of --names, --test, --run, --undo, --history and --help may be given");
                return std::nullopt;
            }
            action = CliAction::Undo;
            options.undoRun = *number;
            known = true;
        }
        for (const Switch& candidate : kSwitches) {
            if (argument == QLatin1String(candidate.name)) {
                candidate.apply(options);
                known = true;
            }
        }
        if (argument == QLatin1String("--move-to") || argument.startsWith(QLatin1String("--move-to="))) {
            QString folder;
            if (argument == QLatin1String("--move-to")) {
                if (i + 1 >= arguments.size()) {
                    error = QStringLiteral("--move-to needs a folder");
                    return std::nullopt;
                }
                folder = arguments[++i];
            } else {
                folder = argument.mid(qsizetype(sizeof "--move-to=") - 1);
            }
            if (folder.isEmpty()) {
                error = QStringLiteral("--move-to needs a folder");
                return std::nullopt;
            }
            options.run.moveToFolder = true;
            options.run.targetFolder = folder;
            known = true;
        }
        if (!known) {
            error = QStringLiteral("unknown option: ") + argument;
            return std::nullopt;
        }
    }
    options.action = action.value_or(CliAction::Names);
    if (options.action == CliAction::Help)
        return options;
    const QStringList operands = arguments.mid(i);
    if (options.action == CliAction::Undo || options.action == CliAction::History) {
        if (!operands.isEmpty()) {
            error = (options.action == CliAction::Undo ? QStringLiteral("--undo") : QStringLiteral("--history")) +
                    QStringLiteral(" takes no FORMAT or PATH");
            return std::nullopt;
        }
        return options;
    }
    if (operands.size() < 2) {
        error = operands.isEmpty() ? QStringLiteral("missing FORMAT and PATH") : QStringLiteral("missing PATH");
        return std::nullopt;
    }
    options.format = operands.first();
    options.paths = operands.mid(1);
    return options;
}

QString cliUsage() {
    return QStringLiteral(
        "Usage: tokrenu-cli [OPTION]... [--] FORMAT PATH...\n"
        "       tokrenu-cli [OPTION]... --undo [RUN]\n"
        "       tokrenu-cli --history\n"
        "\n"
        "Builds the new name of every file named by PATH with the Tokrenu format FORMAT, the same way\n"
        "the program does, and prints one name per line in list order. A folder among the paths adds\n"
        "the files directly inside it; relative paths are taken from the current folder.\n"
        "\n"
        "Options come before FORMAT. Every argument after FORMAT is a PATH, even one that begins\n"
        "with '-'; a FORMAT that begins with '-' follows \"--\".\n"
        "\n"
        "FORMAT is either the function style, such as 'left(fn,3) & \"_\" & ex', or the segment style,\n"
        "such as '|f:|_|n,1,n+1:000|.|e:|' with --no-always-function. A double quote in FORMAT always\n"
        "selects the function style.\n"
        "\n"
        "Actions (one at most):\n"
        "  --names                   print each new name (the default)\n"
        "  --test                    check the plan and print the log of what a run would do\n"
        "  --run                     carry the plan out and print its log when the work ends\n"
        "  --undo [RUN]              undo the last run not yet undone, or run RUN, and print the\n"
        "                            log of the undo (no FORMAT or PATH)\n"
        "  --history                 list the runs kept: number, start, files, operation, whether it\n"
        "                            was done, stopped or interrupted, whether it was undone, and\n"
        "                            where (no FORMAT or PATH)\n"
        "  --help                    show this text\n"
        "\n"
        "Options (defaults as the program starts for the first time):\n"
        "  --always-function         read every format in the function style (default)\n"
        "  --no-always-function      read formats without a double quote in the segment style\n"
        "  --delete-invalid-chars    delete characters a file name cannot hold (default)\n"
        "  --reject-invalid-chars    stop with a message instead\n"
        "  --keep-unformatted        a segment with an empty pattern keeps its text as it is (default)\n"
        "  --convert-unformatted     such a segment writes numbers and dates in their plain form\n"
        "  --move-to DIR             put the files into DIR instead of their own folders\n"
        "                            (relative to the current folder)\n"
        "  --copy                    copy instead of moving\n"
        "  --renumber                give files that would get the same name _1, _2, ...\n"
        "  --recycle                 what is replaced goes to the trash (default)\n"
        "  --no-recycle              what is replaced is removed\n"
        "  --no-confirmation         answer every question of the file operations with yes\n"
        "  --multidest               move or copy all files in one operation\n"
        "  --status                  with --names: each line is the row's state, a tab and its new name,\n"
        "                            and for a row that cannot be renamed a tab and the reason; the states\n"
        "                            are unchanged, renamed, removed (characters a name cannot hold were\n"
        "                            deleted), in-use (a file outside the list holds the name), duplicate\n"
        "                            and error; the exit status is 1 when a row is one of the last three\n"
        "  --status                  with --names: each line is the row's state, a tab and its new name,\n"
        "                            and for a row that cannot be renamed a tab and the reason; the states\n"
        "                            are unchanged, renamed, removed (characters a name cannot hold were\n"
        "                            deleted), in-use (a file outside the list holds the name), duplicate\n"
        "                            and error; the exit status is 1 when a row is one of the last three\n"
        "  --yes                     without a terminal, answer the questions with yes\n"
        "                            (otherwise they are answered with no, which stops or skips)\n"
        "  --                        end of the options\n"
        "\n"
        "Examples:\n"
        "  tokrenu-cli --no-always-function '|f:|_|n,1,n+1:000|.|e:|' *.jpg\n"
        "  tokrenu-cli --test 'fn & \"_\" & format(index,\"000\") & \".\" & ex' photos\n"
        "\n"
        "Every run keeps a journal in $XDG_STATE_HOME/Tokrenu/journal (~/.local/state/Tokrenu/journal),\n"
        "the last 20 runs, so that it can be undone later. A file goes back only while it is the file the\n"
        "run left, and nothing is replaced by an undo. --run and --undo first look for a run that ended\n"
        "without finishing (the process was killed, the machine went down) and ask whether to put its\n"
        "files back; the answer is kept, so the question comes once.\n"
        "\n"
        "Messages the program would show in a message box go to standard error as \"title: text\".\n"
        "Questions are asked on the terminal when standard input is one. SIGINT, SIGTERM and SIGHUP stop a\n"
        "test or run after the file in hand (a second one ends at once).\n"
        "Exit status: 0 every step succeeded (for --test: every step can succeed), 1 the build stopped\n"
        "with a message, some step failed, the journal could not be read or written or the output could\n"
        "not be written, 2 wrong usage, a PATH that cannot be used or a RUN that is not kept (nothing is\n"
        "done then), 3 the work was refused or stopped, or there was nothing to undo.\n");
}
