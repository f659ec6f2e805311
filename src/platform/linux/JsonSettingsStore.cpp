#include "platform/linux/JsonSettingsStore.h"

#include "platform/Clock.h"
#include "platform/SettingsJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kApplication = QStringLiteral("Tokrenu");

// The rename that replaced the file lasts only once its folder is on disk too.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

JsonSettingsStore::JsonSettingsStore(QString filePath, const Clock& clock)
    : m_filePath(std::move(filePath))
    , m_clock(clock) {}

QString JsonSettingsStore::defaultFilePath() {
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base) + QStringLiteral("/Tokrenu/settings.json");
}

SettingsLoad JsonSettingsStore::load() {
    m_tree.clear();
    m_dirty = false;
    m_blocked = false;
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return {SettingsLoadState::NoFile, QString(), QString()};
    if (!info.isFile())
        return setAside(QStringLiteral("not a regular file"));
    if (info.size() > kMaxFileBytes)
        return setAside(QStringLiteral("larger than ") + QString::number(kMaxFileBytes) + QStringLiteral(" bytes"));
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return setAside(file.errorString());
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return setAside(file.errorString());
    if (bytes.size() > kMaxFileBytes)
        return setAside(QStringLiteral("larger than ") + QString::number(kMaxFileBytes) + QStringLiteral(" bytes"));
    file.close();
    SettingsParse parsed = settingsFromJson(bytes, kApplication);
    if (!parsed.tree)
        return setAside(parsed.error);
    m_tree = std::move(*parsed.tree);
    return {SettingsLoadState::Loaded, QString(), QString()};
}

SettingsLoad JsonSettingsStore::setAside(const QString& reason) {
    const QString stem =
        m_filePath + QStringLiteral(".broken-") + m_clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo(target).exists() || QFileInfo(target).isSymLink(); ++n)
        target = stem + QLatin1Char('-') + QString::number(n);
    // A rename keeps every byte of the file; it must not replace anything.
    const QByteArray from = QFile::encodeName(m_filePath);
    const QByteArray to = QFile::encodeName(target);
    int done = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (done != 0 && (errno == EINVAL || errno == ENOSYS))
        done = ::rename(from.constData(), to.constData());
    if (done == 0) {
        syncFolder(QFileInfo(m_filePath).absolutePath());
        return {SettingsLoadState::SetAside, target, reason};
    }
    m_blocked = true;
    return {SettingsLoadState::Unusable, QString(), reason};
}

QString JsonSettingsStore::readSetting(const QString& section, const QString& key, const QString& defaultValue) const {
    const QString* value = m_tree.find(section, key);
    return value != nullptr ? *value : defaultValue;
}

void JsonSettingsStore::writeSetting(const QString& section, const QString& key, const QString& value) {
    if (m_tree.write(section, key, value))
        m_dirty = true;
}

QList<SettingsEntry> JsonSettingsStore::readSection(const QString& section) const {
    return m_tree.entries(section);
}

void JsonSettingsStore::deleteStoreKey(const QString& section) {
    if (m_tree.removeSection(section))
        m_dirty = true;
}

SettingsResult JsonSettingsStore::deleteStoreKey() {
    m_tree.clear();
    m_dirty = false;
    // Asked for in so many words, this removes even a file that could not be read.
    m_blocked = false;
    QFile file(m_filePath);
    if (!QFileInfo(m_filePath).exists() && !QFileInfo(m_filePath).isSymLink())
        return {};
    if (!file.remove())
        return SettingsResult::failure(file.errorString());
    syncFolder(QFileInfo(m_filePath).absolutePath());
    return {};
}

SettingsResult JsonSettingsStore::save() {
    if (m_blocked)
        return SettingsResult::failure(QStringLiteral("the settings file could not be read and is left as it is"));
    if (!m_dirty)
        return {};
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return SettingsResult::failure(QStringLiteral("cannot make the folder ") + folder);
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return SettingsResult::failure(file.errorString());
    const QByteArray bytes = settingsToJson(m_tree, kApplication);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return SettingsResult::failure(error);
    }
    syncFolder(folder);
    m_dirty = false;
    return {};
}
