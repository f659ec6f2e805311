#include "cli/CliOptions.h"

std::optional<CliOptions> parseCliArguments(const QStringList& arguments, QString& error) {
    CliOptions options;
    QStringList positional;
    bool optionsEnded = false;
    BuildOptions& build = options.run.build;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            if (argument == QLatin1String("--") && !optionsEnded) {
                optionsEnded = true;
                continue;
            }
            positional.append(argument);
            continue;
        }
        if (argument == QLatin1String("--help"))
            options.action = CliAction::Help;
        else if (argument == QLatin1String("--names"))
            options.action = CliAction::Names;
        else if (argument == QLatin1String("--test"))
            options.action = CliAction::Test;
        else if (argument == QLatin1String("--run"))
            options.action = CliAction::Run;
        else if (argument == QLatin1String("--always-function"))
            build.alwaysFunction = true;
        else if (argument == QLatin1String("--no-always-function"))
            build.alwaysFunction = false;
        else if (argument == QLatin1String("--delete-invalid-chars"))
            build.deleteInvalidChars = true;
        else if (argument == QLatin1String("--reject-invalid-chars"))
            build.deleteInvalidChars = false;
        else if (argument == QLatin1String("--keep-unformatted"))
            build.keepUnformatted = true;
        else if (argument == QLatin1String("--convert-unformatted"))
            build.keepUnformatted = false;
        else if (argument == QLatin1String("--move-to")) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("--move-to needs a folder");
                return std::nullopt;
            }
            options.run.moveToFolder = true;
            options.run.targetFolder = arguments[++i];
        } else if (argument == QLatin1String("--copy"))
            options.run.copy = true;
        else if (argument == QLatin1String("--renumber"))
            options.run.renumberOnCollision = true;
        else if (argument == QLatin1String("--recycle"))
            options.run.recycled = true;
        else if (argument == QLatin1String("--no-recycle"))
            options.run.recycled = false;
        else if (argument == QLatin1String("--no-confirmation"))
            options.run.noConfirmation = true;
        else if (argument == QLatin1String("--multidest"))
            options.run.multidestFiles = true;
        else if (argument == QLatin1String("--yes"))
            options.answerYes = true;
        else {
            error = QStringLiteral("unknown option: ") + argument;
            return std::nullopt;
        }
    }
    if (options.action == CliAction::Help)
        return options;
    if (positional.size() < 2) {
        error = positional.isEmpty() ? QStringLiteral("missing FORMAT and PATH") : QStringLiteral("missing PATH");
        return std::nullopt;
    }
    options.format = positional.takeFirst();
    options.paths = positional;
    return options;
}

QString cliUsage() {
    return QStringLiteral(
        "Usage: tokrenu-cli [OPTIONS] FORMAT PATH...\n"
        "\n"
        "Builds the new name of every file named by PATH with the Tokrenu format FORMAT, the same way\n"
        "the program does, and prints one name per line in list order. A folder among the paths adds\n"
        "the files directly inside it; relative paths are taken from the current folder.\n"
        "\n"
        "FORMAT is either the segment style, such as '|f:|_|n,1,n+1:000|.|e:|', or the function style,\n"
        "such as 'left(fn,3) & \"_\" & ex'. A double quote in FORMAT always selects the function style.\n"
        "\n"
        "Actions:\n"
        "  --names                   print each new name (the default)\n"
        "  --test                    check the plan and print the log of what a run would do\n"
        "  --run                     carry the plan out and print its log when the work ends\n"
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
        "  --copy                    copy instead of moving\n"
        "  --renumber                give files that would get the same name _1, _2, ...\n"
        "  --recycle                 what is replaced goes to the trash (default)\n"
        "  --no-recycle              what is replaced is removed\n"
        "  --no-confirmation         answer every question of the file operations with yes\n"
        "  --multidest               move or copy all files in one operation\n"
        "  --yes                     without a terminal, answer the questions with yes\n"
        "                            (otherwise they are answered with no, which stops or skips)\n"
        "  --                        everything after this is FORMAT or PATH\n"
        "\n"
        "Messages the program would show in a message box go to standard error as \"title: text\".\n"
        "Questions are asked on the terminal when standard input is one.\n"
        "Exit status: 0 every step succeeded, 1 the build stopped with a message or some step failed,\n"
        "2 wrong usage, 3 the work was refused or stopped.\n");
}
