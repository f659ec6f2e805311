#include "cli/CliApp.h"

#include "cli/CliOptions.h"
#include "cli/ConsolePrompt.h"
#include "expression/PlanBuilder.h"
#include "filelist/AddFeedback.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/SystemClock.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;

class QuietFeedback final : public AddFeedback {
public:
    void setStatusText(const QString&) override {}
    void setFileCountText(const QString&) override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    void setListVisible(bool) override {}
};

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

} // namespace

int runCli(const QStringList& arguments, const QString& currentFolder, std::FILE* out, std::FILE* err) {
    QString error;
    const auto options = parseCliArguments(arguments, error);
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
    ConsolePrompt prompt(err);
    FileListModel list;
    FileAdder adder(list, fs, prompt);
    QuietFeedback feedback;
    adder.addPendingFiles(prepareCommandLine(fs, options->paths, currentFolder), AddSettings(), feedback);

    const BuildResult result = buildPlan(options->format, {list.rows(), options->build, prompt, clock, fs});
    if (result.status == BuildStatus::Failed)
        return kExitStopped;
    if (result.status == BuildStatus::Built) {
        QString names;
        for (const NameChange& change : result.rows)
            names += change.destName + QLatin1Char('\n');
        write(out, names);
    }
    std::fflush(out);
    return kExitOk;
}
