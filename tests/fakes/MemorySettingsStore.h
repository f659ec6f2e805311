#pragma once

#include "platform/SettingsStore.h"
#include "platform/SettingsTree.h"

// Keeps the settings in memory; "stored" is what the last save left, so that a test can tell the two apart.
class MemorySettingsStore final : public SettingsStore {
public:
    // What load() reports, for tests of how the window tells the user.
    SettingsLoad nextLoad{SettingsLoadState::Loaded, QString(), QString()};
    // Saves fail with this text while it is set.
    QString failSaves;
    int saves = 0;
    SettingsTree stored;

    SettingsLoad load() override {
        m_tree = stored;
        return nextLoad;
    }
    [[nodiscard]] QString
    readSetting(const QString& section, const QString& key, const QString& defaultValue) const override {
        const QString* value = m_tree.find(section, key);
        return value != nullptr ? *value : defaultValue;
    }
    void writeSetting(const QString& section, const QString& key, const QString& value) override {
        m_tree.write(section, key, value);
    }
    [[nodiscard]] QList<SettingsEntry> readSection(const QString& section) const override {
        return m_tree.entries(section);
    }
    void deleteStoreKey(const QString& section) override { m_tree.removeSection(section); }
    SettingsResult deleteStoreKey() override {
        m_tree.clear();
        stored.clear();
        return {};
    }
    SettingsResult save() override {
        ++saves;
        if (!failSaves.isEmpty())
            return SettingsResult::failure(failSaves);
        stored = m_tree;
        return {};
    }

private:
    SettingsTree m_tree;
};
