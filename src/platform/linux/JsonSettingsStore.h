#pragma once

#include "platform/SettingsStore.h"
#include "platform/SettingsTree.h"

class Clock;

// The settings in one JSON file, by default $XDG_CONFIG_HOME/Tokrenu/settings.json. A save replaces the
// file atomically; a file that cannot be used is renamed to "<file>.broken-<yyyyMMdd-HHmmss>" by load().
class JsonSettingsStore final : public SettingsStore {
public:
    JsonSettingsStore(QString filePath, const Clock& clock);

    // $XDG_CONFIG_HOME/Tokrenu/settings.json, or ~/.config/Tokrenu/settings.json without a usable one.
    static QString defaultFilePath();
    // Files larger than this are not read: no settings file of this program grows so big.
    static constexpr qint64 kMaxFileBytes = qint64(64) << 20;

    SettingsLoad load() override;
    [[nodiscard]] QString
    readSetting(const QString& section, const QString& key, const QString& defaultValue) const override;
    void writeSetting(const QString& section, const QString& key, const QString& value) override;
    [[nodiscard]] QList<SettingsEntry> readSection(const QString& section) const override;
    void deleteStoreKey(const QString& section) override;
    SettingsResult deleteStoreKey() override;
    SettingsResult save() override;

    [[nodiscard]] const QString& filePath() const { return m_filePath; }

private:
    SettingsLoad setAside(const QString& reason);

    QString m_filePath;
    const Clock& m_clock;
    SettingsTree m_tree;
    bool m_dirty = false;
    // A file that could neither be read nor moved away is never replaced.
    bool m_blocked = false;
};
