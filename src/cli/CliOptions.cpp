#include "cli/CliOptions.h"

std::optional<CliOptions> parseCliArguments(const QStringList& arguments, QString& error) {
    CliOptions options;
    QStringList positional;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
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
        else if (argument == QLatin1String("--always-function"))
            options.build.alwaysFunction = true;
        else if (argument == QLatin1String("--no-always-function"))
            options.build.alwaysFunction = false;
        else if (argument == QLatin1String("--delete-invalid-chars"))
            options.build.deleteInvalidChars = true;
        else if (argument == QLatin1String("--reject-invalid-chars"))
            options.build.deleteInvalidChars = false;
        else if (argument == QLatin1String("--keep-unformatted"))
            options.build.keepUnformatted = true;
        else if (argument == QLatin1String("--convert-unformatted"))
            options.build.keepUnformatted = false;
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
        "  --help                    show this text\n"
        "\n"
        "Options (defaults as the program starts for the first time):\n"
        "  --always-function         read every format in the function style (default)\n"
        "  --no-always-function      read formats without a double quote in the segment style\n"
        "  --delete-invalid-chars    delete characters a file name cannot hold (default)\n"
        "  --reject-invalid-chars    stop with a message instead\n"
        "  --keep-unformatted        a segment with an empty pattern keeps its text as it is (default)\n"
        "  --convert-unformatted     such a segment writes numbers and dates in their plain form\n"
        "  --                        everything after this is FORMAT or PATH\n"
        "\n"
        "Messages the program would show in a message box go to standard error as \"title: text\".\n"
        "Exit status: 0 success, 1 the build stopped with a message, 2 wrong usage.\n");
}
