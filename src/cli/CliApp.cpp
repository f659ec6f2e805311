#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/ConsolePrompt.h"
#include "execution/PlanChecks.h"
#include "execution/PlanPreview.h"
#include "execution/RenamePlan.h"
#include "execution/RunCommands.h"
#include "execution/RunJournal.h"
#include "execution/RunState.h"
#include "expression/PlanBuilder.h"
#include "expression/RowNamer.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "platform/ControlCharacters.h"
#include "platform/FreedMemory.h"
#include "platform/PlaceKeys.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxJournalStore.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/ProcessSignals.h"
#include "platform/linux/SystemClock.h"

#include <QDateTime>
#include <QDir>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

// A stream that remembers the first write that failed: a full disk or a closed pipe is an error to report,
// not a reason to stop work that is under way.
class Output {
public:
    explicit Output(std::FILE* stream)
        : m_stream(stream) {}

    void write(const QByteArray& bytes) {
        if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_stream) !=
                static_cast<size_t>(bytes.size()) &&
            m_error == 0)
            m_error = errno != 0 ? errno : EIO;
    }
    void write(const QString& text) { write(text.toUtf8()); }

    // The error of the first write or flush that failed, or 0.
    int flush() {
        if (std::fflush(m_stream) != 0 && m_error == 0)
            m_error = errno != 0 ? errno : EIO;
        return m_error;
    }

private:
    std::FILE* m_stream;
    int m_error = 0;
};

// An argument in a message: bytes that are not printable ASCII as \xNN, so that nothing the argument holds
// reaches the terminal as it is.
QString shownArgument(const QByteArray& argument) {
    QString shown;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f)
            shown += QLatin1Char(c);
        else
            shown += QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return shown;
}

// Lets the work notice a stop signal between two files, as a Cancel button would.
class ConsoleHost final : public WorkHost {
public:
    [[nodiscard]] bool stopRequested() const override { return StopSignals::stopRequested(); }
};

// The log goes to standard output with the platform's line ends; there is no window to show.
class ConsoleFrontEnd final : public RunFrontEnd {
public:
    explicit ConsoleFrontEnd(Output& out)
        : m_out(out) {}

    void runWithProgress(ProgressWork, qsizetype, const std::function<void(WorkHost&)>& steps) override {
        steps(m_host);
    }
    WorkHost& mainHost() override { return m_host; }
    bool showLog(const QString&, const QString& text, bool) override {
        // A piece at a time, each ending after a line end, so that a long log needs no second copy of itself.
        constexpr qsizetype kPiece = qsizetype{64} * 1024;
        QStringView rest(text);
        while (!rest.isEmpty()) {
            const qsizetype lineEnd = rest.size() > kPiece ? rest.indexOf(QLatin1Char('\n'), kPiece) : -1;
            const qsizetype piece = lineEnd < 0 ? rest.size() : lineEnd + 1;
            m_out.write(consoleText(rest.first(piece)));
            rest = rest.sliced(piece);
        }
        if (!text.endsWith(QLatin1Char('\n')))
            m_out.write(QByteArray(1, '\n'));
        m_out.flush();
        return false;
    }
    void addFormatToHistory(const QString&) override {}
    void clearList() override {}
    void focusMainWindow() override {}

private:
    Output& m_out;
    ConsoleHost m_host;
};

// Messages held back while work is done that may be done again; passed on once it stands. A question
// cannot wait, and is asked at once.
class HeldMessages final : public UserPrompt {
public:
    explicit HeldMessages(UserPrompt& prompt)
        : m_prompt(prompt) {}
    PromptAnswer message(const QString& text,
                         const QString& title,
                         PromptIcon icon,
                         PromptButtons buttons,
                         PromptAnswer defaultAnswer) override {
        if (buttons != PromptButtons::Ok)
            return m_prompt.message(text, title, icon, buttons, defaultAnswer);
        m_held.push_back({text, title, icon});
        return PromptAnswer::Ok;
    }
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) override {
        return m_prompt.input(prompt, title, preset);
    }
    void passOn() {
        for (const Held& message : m_held)
            m_prompt.inform(message.text, message.title, message.icon);
        m_held.clear();
    }

private:
    struct Held {
        QString text;
        QString title;
        PromptIcon icon;
    };
    UserPrompt& m_prompt;
    std::vector<Held> m_held;
};

class CliRun {
public:
    CliRun(QString currentFolder, std::FILE* out, std::FILE* err)
        : m_currentFolder(std::move(currentFolder))
        , m_errStream(err)
        , m_out(out)
        , m_err(err) {
        // Files are added and run a moment later: the add's reading of each folder serves the run as well.
        m_fs.keepListings();
    }

    int run(const QByteArrayList& rawArguments) {
        const int status = work(rawArguments);
        if (const int error = m_out.flush()) {
            m_err.write(QStringLiteral("tokrenu-cli: error writing standard output: ") + qt_error_string(error) +
                        QLatin1Char('\n'));
            m_err.flush();
            return status == kExitOk ? kExitFailed : status;
        }
        m_err.flush();
        return status;
    }

private:
    void fail(const QString& text) { m_err.write(QStringLiteral("tokrenu-cli: ") + text + QLatin1Char('\n')); }

    int work(const QByteArrayList& rawArguments) {
        QStringList arguments;
        QByteArrayList undecodable;
        for (const QByteArray& raw : rawArguments) {
            QStringDecoder decoder(QStringDecoder::Utf8,
                                   QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            arguments.append(decoder(raw));
            if (decoder.hasError())
                undecodable.append(raw);
        }
        QString error;
        auto options = parseCliArguments(arguments, error);
        if (!options) {
            fail(error);
            m_err.write(QStringLiteral("Try 'tokrenu-cli --help'.\n"));
            return kExitUsage;
        }
        if (options->action == CliAction::Help) {
            m_out.write(cliUsage());
            return kExitOk;
        }
        for (const QByteArray& raw : std::as_const(undecodable))
            fail(QStringLiteral("not valid UTF-8: '") + shownArgument(raw) + QLatin1Char('\''));
        if (!undecodable.isEmpty())
            return kExitUsage;
        if (options->action == CliAction::History)
            return printHistory();
        if (options->action == CliAction::Undo)
            return undoRun(*options);
        const QDir current(m_currentFolder);
        if (options->run.moveToFolder)
            options->run.targetFolder = QDir::cleanPath(current.absoluteFilePath(options->run.targetFolder));
        // Every path must lead somewhere readable before anything is done.
        bool usable = true;
        for (const QString& path : std::as_const(options->paths)) {
            const QString problem = path.isEmpty()
                                        ? qt_error_string(ENOENT)
                                        : m_fs.accessProblem(QDir::cleanPath(current.absoluteFilePath(path)));
            if (!problem.isEmpty()) {
                fail(QStringLiteral("cannot use '") + withVisibleControls(path) + QStringLiteral("': ") + problem);
                usable = false;
            }
        }
        if (!usable)
            return kExitUsage;
        return options->action == CliAction::Names ? printNames(*options) : runPlan(*options);
    }

    void addFiles(const CliOptions& options, UserPrompt& prompt) {
        FileAdder adder(m_list, m_fs, prompt);
        NullWorkHost feedback;
        adder.addPendingFiles(prepareCommandLine(m_fs, options.paths, m_currentFolder), AddSettings(), feedback);
    }

    int printNames(const CliOptions& options) {
        ConsolePrompt prompt(m_errStream, nullptr, false);
        addFiles(options, prompt);
        if (options.status)
            return printStates(options);
        if (options.run.renumberOnCollision)
            return printRenumberedNames(options, prompt);
        const BuildContext context{m_list.rows(), options.run.build, prompt, m_clock, m_fs};
        BuildStatus status = BuildStatus::Blank;
        const std::unique_ptr<RowNamer> namer = prepareNamer(options.format, context, status);
        if (status == BuildStatus::Failed)
            return kExitFailed;
        // Each name goes straight into the bytes to print, which are printed only when every row has its name:
        // a million rows need no plan beside the list.
        QByteArray names;
        LongNames longNames;
        if (namer) {
            for (std::size_t i = 0; i < context.rows.size(); ++i) {
                NameChange change;
                if (!namer->nameRow(i, change))
                    return kExitFailed;
                // A name no folder can hold is told, not printed in part.
                if (change.nameTooLong)
                    longNames.add(i + 1, change.destName);
                names += withVisibleControls(fileNameOf(change.destName).toString()).toUtf8();
                names += '\n';
            }
        }
        if (longNames.report(prompt) || !targetFolderOf(options.run, prompt))
            return kExitFailed;
        m_out.write(names);
        return kExitOk;
    }

    // Renumbering compares the new places of all rows, so these names come from the whole plan.
    int printRenumberedNames(const CliOptions& options, UserPrompt& prompt) {
        BuildResult result = buildPlan(options.format, {m_list.rows(), options.run.build, prompt, m_clock, m_fs});
        if (result.status == BuildStatus::Failed)
            return kExitFailed;
        RenamePlan plan(std::move(result.rows), result.changeMask);
        if (reportLongNames(plan, prompt))
            return kExitFailed;
        if (!completePaths(plan, m_list.rows(), options.run, m_fs, prompt))
            return kExitFailed;
        renumberDuplicates(plan);
        QString names;
        for (const RenameEntry& entry : plan.entries())
            names.append(withVisibleControls(fileNameOf(entry.destPath).toString())).append(QLatin1Char('\n'));
        m_out.write(names);
        return kExitOk;
    }

    // The preview of the window, line by line: the state, a tab, the new name, and the reason where it fails.
    int printStates(const CliOptions& options) {
        PlanPreview preview(m_fs, m_clock);
        QString message;
        if (!preview.start(options.format, m_list.rows(), options.run, message)) {
            fail(message);
            return kExitFailed;
        }
        while (!preview.work(std::chrono::seconds(1))) {
        }
        QString lines;
        bool failing = false;
        for (const NamePreview& row : preview.rows()) {
            const char* state = "unchanged";
            switch (row.state) {
            case PreviewState::Pending:
            case PreviewState::Unchanged:
                break;
            case PreviewState::Renamed:
                state = "renamed";
                break;
            case PreviewState::CharactersRemoved:
                state = "removed";
                break;
            case PreviewState::InUse:
                state = "in-use";
                break;
            case PreviewState::Duplicate:
                state = "duplicate";
                break;
            case PreviewState::Error:
                state = "error";
                break;
            }
            const bool fails = row.state == PreviewState::InUse || row.state == PreviewState::Duplicate ||
                               row.state == PreviewState::Error;
            failing = failing || fails;
            lines.append(QLatin1String(state)).append(QLatin1Char('\t')).append(withVisibleControls(row.name));
            if (fails)
                lines.append(QLatin1Char('\t')).append(withVisibleControls(row.reason));
            lines.append(QLatin1Char('\n'));
        }
        m_out.write(lines);
        return failing ? kExitFailed : kExitOk;
    }

    // What a test, run or undo works with: questions on the terminal (or answered by --yes), the file
    // operations and the commands, whose log is always printed when the work ends.
    struct Session {
        Session(CliRun& cli, CliOptions& options)
            : prompt(cli.m_errStream, isatty(STDIN_FILENO) ? stdin : nullptr, options.answerYes)
            , files(prompt)
            , frontEnd(cli.m_out)
            , commands(state, cli.m_list, cli.m_fs, files, prompt, cli.m_clock, frontEnd, cli.m_journal) {
            options.run.showLog = true;
        }

        ConsolePrompt prompt;
        RunState state;
        LinuxShellFileOperation files;
        ConsoleFrontEnd frontEnd;
        RunCommands commands;
    };

    // The session lives as long as the front end, so that a process that ends with the run need not free it.
    Session& startSession(CliOptions& options) {
        m_session = std::make_unique<Session>(*this, options);
        return *m_session;
    }

    int runPlan(CliOptions& options) {
        const StopSignals signals;
        Session& session = startSession(options);
        if (options.action == CliAction::Run) {
            // The journals are read while the files are added. An interrupted run is settled before the files
            // are looked at, as it may put some of them back: they are then added again.
            awaitHelperHeaps();
            std::future<std::vector<RunRecord>> history =
                std::async(std::launch::async, [this] { return RunJournal(m_journal, m_fs).history(); });
            HeldMessages held(session.prompt);
            addFiles(options, held);
            const std::vector<RunRecord> runs = history.get();
            if (RunJournal::unansweredInterruptions(runs).empty()) {
                held.passOn();
            } else {
                m_list.clear();
                session.commands.recoverInterruptedRuns(options.run, runs);
                addFiles(options, session.prompt);
            }
            // The journal of the run asks which file each listed name is; that is made ready while the plan is.
            m_fs.prepareIdentities();
        } else {
            addFiles(options, session.prompt);
        }
        const CommandOutcome outcome = session.commands.runCommand(
            options.action == CliAction::Test ? RunMode::Test : RunMode::Run, options.format, options.run);
        if (outcome.bulkIncomplete && session.state.plan)
            nameFilesNotDone(*session.state.plan, options.run.copy);
        return exitStatus(outcome);
    }

    static int exitStatus(const CommandOutcome& outcome) {
        if (outcome.buildFailed || outcome.journalFailed)
            return kExitFailed;
        // A bulk call that a stop signal cut short was stopped, not failed.
        if (outcome.refused || outcome.stopped || (outcome.bulkIncomplete && StopSignals::stopRequested()))
            return kExitRefused;
        return outcome.failedSteps > 0 ? kExitFailed : kExitOk;
    }

    int undoRun(CliOptions& options) {
        const std::vector<qint64> kept = m_journal.runs();
        if (options.undoRun != 0 && std::find(kept.begin(), kept.end(), options.undoRun) == kept.end()) {
            fail(QStringLiteral("no run ") + QString::number(options.undoRun) + QStringLiteral(" is kept in ") +
                 withVisibleControls(m_journal.location()));
            return kExitUsage;
        }
        const StopSignals signals;
        Session& session = startSession(options);
        // The run to undo is chosen first: settling another interrupted run must not make an older one "last".
        const qint64 run =
            options.undoRun != 0 ? options.undoRun : RunJournal::lastRunToUndo(RunJournal(m_journal, m_fs).history());
        session.commands.recoverInterruptedRuns(options.run, run);
        return exitStatus(session.commands.undoJournalRun(run, options.run));
    }

    int printHistory() {
        const std::vector<RunRecord> runs = RunJournal(m_journal, m_fs).history();
        if (runs.empty()) {
            m_out.write(QStringLiteral("No runs are kept in ") + withVisibleControls(m_journal.location()) +
                        QStringLiteral(".\n"));
            return kExitOk;
        }
        QString table =
            QStringLiteral("RUN  STARTED              FILES  OPERATION  STATE          UNDO              WHERE\n");
        for (const RunRecord& record : runs)
            table += historyLine(record);
        m_out.write(table);
        return kExitOk;
    }

    QString historyLine(const RunRecord& record) const {
        const JournalSummary& s = record.summary;
        const bool readable = record.readError.isEmpty() && s.condition == JournalCondition::Readable;
        QString state;
        QString undo = QStringLiteral("-");
        if (!record.readError.isEmpty())
            state = QStringLiteral("unreadable");
        else if (s.condition == JournalCondition::NewerVersion)
            state = QStringLiteral("newer version");
        else if (s.condition == JournalCondition::Damaged)
            state = QStringLiteral("damaged");
        else if (record.inUse)
            state = QStringLiteral("in progress");
        else if (!s.planComplete)
            state = QStringLiteral("not started");
        else if (!s.ended)
            state = QStringLiteral("interrupted");
        else if (s.bulkIncomplete)
            state = QStringLiteral("incomplete");
        else
            state = s.stopped ? QStringLiteral("stopped") : QStringLiteral("done");
        if (readable && s.planComplete) {
            if (s.undoFinished)
                undo = QStringLiteral("undone");
            else if (s.undoOpen)
                undo = QStringLiteral("undo interrupted");
            else if (s.undoStopped)
                undo = QStringLiteral("undo stopped");
            else if (s.kept)
                undo = QStringLiteral("kept as it is");
            else
                undo = QStringLiteral("not undone");
        }
        const bool known = readable && s.hasRun;
        QString where = known ? withVisibleControls(s.sourceFolder) : withVisibleControls(m_journal.pathOf(record.run));
        if (known && s.targetFolder != s.sourceFolder)
            where += QStringLiteral(" -> ") + withVisibleControls(s.targetFolder);
        const QString started =
            known ? QDateTime::fromSecsSinceEpoch(s.startedSecs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                  : QStringLiteral("-");
        const QString files = known ? QString::number(s.entryCount) : QStringLiteral("-");
        const QString operation =
            !known ? QStringLiteral("-")
                   : (s.operation == FileOperation::Copy ? QStringLiteral("copy") : QStringLiteral("move"));
        return QString::number(record.run).rightJustified(3) + QStringLiteral("  ") + started.leftJustified(19) +
               QStringLiteral("  ") + files.rightJustified(5) + QStringLiteral("  ") + operation.leftJustified(9) +
               QStringLiteral("  ") + state.leftJustified(13) + QStringLiteral("  ") + undo.leftJustified(16) +
               QStringLiteral("  ") + where + QLatin1Char('\n');
    }

    // The log of a bulk run that did not complete cannot say which files moved; standard error does.
    void nameFilesNotDone(const RenamePlan& plan, bool copy) {
        for (const RenameEntry& entry : plan.entries()) {
            if (entry.destPath != entry.sourcePath && entry.doneSteps == 0)
                fail((copy ? QStringLiteral("not copied: ") : QStringLiteral("not moved: ")) +
                     withVisibleControls(entry.sourcePath));
        }
    }

    QString m_currentFolder;
    std::FILE* m_errStream; // questions and messages go here at once
    Output m_out;
    Output m_err;
    LinuxFileSystem m_fs;
    LinuxJournalStore m_journal{LinuxJournalStore::defaultFolder()};
    SystemClock m_clock;
    FileListModel m_list{m_fs};
    std::unique_ptr<Session> m_session;
};

} // namespace

int runCli(const QByteArrayList& arguments, const QString& currentFolder, std::FILE* out, std::FILE* err) {
    CliRun run(currentFolder, out, err);
    return run.run(arguments);
}

void runCliAndExit(const QByteArrayList& arguments, const QString& currentFolder) {
    // The list, the plan and the log of a large run take longer to free one by one than the system takes to
    // take back the whole process. Everything that had to reach a file or a stream has been written and
    // closed by now: the journal when the run ended, the output when run() flushed it.
    auto* run = new CliRun(currentFolder, stdout, stderr);
    std::_Exit(run->run(arguments));
}
