#pragma once

#include <QList>
#include <QString>

#include <cstdint>

struct SettingsEntry {
    QString key;
    QString value;

    friend bool operator==(const SettingsEntry&, const SettingsEntry&) = default;
};

// How a save or a delete went: done, or why not (the system's text).
struct [[nodiscard]] SettingsResult {
    bool ok = true;
    QString error;

    static SettingsResult failure(QString why) { return {false, std::move(why)}; }
};

enum class SettingsLoadState : std::uint8_t {
    NoFile, // nothing stored yet: a first start
    Loaded,
    SetAside, // the stored file could not be used; it was kept under another name and the store starts empty
    Unusable, // the stored file could not be used nor kept aside; the store starts empty and never saves over it
};

// What loading the store found, so that the window can say once that the defaults are in force.
struct SettingsLoad {
    SettingsLoadState state = SettingsLoadState::NoFile;
    QString keptAs; // where the unusable file now is (SetAside)
    QString reason; // why it could not be used
};

// The per-user store of the application: section → key → text. Sections and keys keep the order in which
// they were first written; names are compared case-sensitively. Reading and writing act on memory; only
// save() and the whole-store delete reach the medium.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Replaces what is in memory with what is stored.
    virtual SettingsLoad load() = 0;
    [[nodiscard]] virtual QString
    readSetting(const QString& section, const QString& key, const QString& defaultValue) const = 0;
    virtual void writeSetting(const QString& section, const QString& key, const QString& value) = 0;
    // In the order the keys were first written; empty when the section does not exist.
    [[nodiscard]] virtual QList<SettingsEntry> readSection(const QString& section) const = 0;
    virtual void deleteStoreKey(const QString& section) = 0;
    // Removes everything, the stored medium at once.
    virtual SettingsResult deleteStoreKey() = 0;
    // Writes everything in memory; what was stored before stays whole when this fails.
    virtual SettingsResult save() = 0;
};
