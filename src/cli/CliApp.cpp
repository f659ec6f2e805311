#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/ConsolePrompt.h"
#include "execution/ExecutionHost.h"
#include "execution/RunCommands.h"
#include "execution/RunState.h"
#include "expression/PlanBuilder.h"
#include "filelist/AddFeedback.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/SystemClock.h"

#include <cstring>
#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// The text in UTF-8 with each CR LF made LF. A CR byte is never part of another character, so the bytes
// between the CRs move down as they are.
QByteArray withLineFeeds(const QString& text) {
    QByteArray bytes = text.toUtf8();
    char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    char* kept = begin;
    const char* rest = begin;
    auto keepUpTo = [&kept, &rest](const char* stop) {
        const auto length = static_cast<size_t>(stop - rest);
        std::memmove(kept, rest, length);
        kept += length;
    };
    for (const char* cr = begin; (cr = static_cast<const char*>(std::memchr(cr, '\r', static_cast<size_t>(end - cr))));
         ++cr) {
        if (cr + 1 < end && cr[1] == '\n') {
            keepUpTo(cr);
            rest = cr + 1;
        }
    }
    keepUpTo(end);
    bytes.truncate(kept - begin);
    return bytes;
}

// The log goes to standard output with the platform's line ends; there is no window to show.
class ConsoleFrontEnd final : public RunFrontEnd {
public:
    explicit ConsoleFrontEnd(std::FILE* out)
        : m_out(out) {}

    void runWithProgress(ProgressWork, qsizetype, const std::function<void(ExecutionHost&)>& steps) override {
        steps(m_host);
    }
    ExecutionHost& mainHost() override { return m_host; }
    bool showLog(const QString&, const QString& text, bool) override {
        QByteArray bytes = withLineFeeds(text);
        if (!bytes.endsWith('\n'))
            bytes += '\n';
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
        std::fflush(m_out);
        return false;
    }
    void addFormatToHistory(const QString&) override {}
    void clearList() override {}
    void focusMainWindow() override {}

private:
    std::FILE* m_out;
    NullExecutionHost m_host;
};

} // namespace

int runCli(const QStringList& arguments, const QString& currentFolder, std::FILE* out, std::FILE* err) {
    QString error;
    auto options = parseCliArguments(arguments, error);
    if (!options) {
        write(err, QStringLiteral("tokrenu-cli: ") + error + QStringLiteral("\nTry 'tokrenu-cli --help'.\n"));
        return kExitUsage;
    }
    if (options->action == CliAction::Help) {
        write(out, cliUsage());
        return kExitOk;
    }

    LinuxFileSystem fs;
    SystemClock clock;
    ConsolePrompt prompt(err, isatty(STDIN_FILENO) ? stdin : nullptr, options->answerYes);
    FileListModel list;
    FileAdder adder(list, fs, prompt);
    NullAddFeedback feedback;
    adder.addPendingFiles(prepareCommandLine(fs, options->paths, currentFolder), AddSettings(), feedback);

    if (options->action == CliAction::Names) {
        const BuildResult result = buildPlan(options->format, {list.rows(), options->run.build, prompt, clock, fs});
        if (result.status == BuildStatus::Failed)
            return kExitFailed;
        QString names;
        for (const NameChange& change : result.rows)
            names += change.destName + QLatin1Char('\n');
        write(out, names);
        std::fflush(out);
        return kExitOk;
    }

    RunState state;
    LinuxShellFileOperation files(prompt);
    ConsoleFrontEnd frontEnd(out);
    RunCommands commands(state, list, fs, files, prompt, clock, frontEnd);
    // The log of a run is always printed when the work ends.
    options->run.showLog = true;
    const CommandOutcome outcome = commands.runCommand(
        options->action == CliAction::Test ? RunMode::Test : RunMode::Run, options->format, options->run);
    if (outcome.buildFailed)
        return kExitFailed;
    if (outcome.refused || outcome.stopped)
        return kExitRefused;
    return outcome.failedSteps > 0 ? kExitFailed : kExitOk;
}
