#include "platform/linux/FolderMoves.h"

#include "platform/linux/ShellFileSyscalls.h"

#include <cstdio>
#include <fcntl.h>

namespace {

// A folder held open for the moves named from it.
class HeldFolder {
public:
    // The folder's descriptor (a slash ends its path), opened unless it is the one held already; -1 if it cannot be.
    int open(ShellFileSyscalls& sys, QStringView folder) {
        if (m_fd >= 0 && folder == m_path)
            return m_fd;
        close(sys);
        const NativePath native(folder);
        m_fd = sys.open(native.data(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
        if (m_fd >= 0)
            m_path = folder.toString();
        return m_fd;
    }
    void close(ShellFileSyscalls& sys) {
        if (m_fd >= 0)
            sys.close(m_fd);
        m_fd = -1;
        m_path.clear();
    }

private:
    QString m_path;
    int m_fd = -1;
};

// Each move names its two files from their folders, held open from one move to the next: a rename then looks up
// two names, not two whole paths. Moves stay where the folders were when they were opened.
class FolderMoves final : public MovesAtOnce {
public:
    explicit FolderMoves(ShellFileSyscalls& sys)
        : m_sys(sys) {}
    FolderMoves(const FolderMoves&) = delete;
    FolderMoves& operator=(const FolderMoves&) = delete;
    ~FolderMoves() override {
        m_from.close(m_sys);
        m_to.close(m_sys);
    }

    bool move(const QString& from, const QString& to) override {
        const qsizetype fromName = from.lastIndexOf(QLatin1Char('/')) + 1;
        const qsizetype toName = to.lastIndexOf(QLatin1Char('/')) + 1;
        if (fromName == 0 || toName == 0 || fromName == from.size() || toName == to.size())
            return false;
        const int fromFolder = m_from.open(m_sys, QStringView(from).first(fromName));
        const int toFolder = fromFolder < 0 ? -1 : m_to.open(m_sys, QStringView(to).first(toName));
        if (toFolder < 0)
            return false;
        const NativePath src(QStringView(from).sliced(fromName));
        const NativePath dst(QStringView(to).sliced(toName));
        return m_sys.renameat2In(fromFolder, src.data(), toFolder, dst.data(), RENAME_NOREPLACE) == 0;
    }

private:
    ShellFileSyscalls& m_sys;
    HeldFolder m_from;
    HeldFolder m_to;
};

} // namespace

std::unique_ptr<MovesAtOnce> folderMoves(ShellFileSyscalls& sys) {
    return std::make_unique<FolderMoves>(sys);
}
