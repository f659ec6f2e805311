#pragma once

#include "platform/SettingsStore.h"

#include <QHash>

// Sections of keys and texts, each level in the order of first writing, with look-ups by name.
class SettingsTree {
public:
    struct Section {
        QString name;
        QList<SettingsEntry> entries;
        QHash<QString, qsizetype> rows;
    };

    [[nodiscard]] const QString* find(const QString& section, const QString& key) const;
    // False when the value was there already.
    bool write(const QString& section, const QString& key, const QString& value);
    [[nodiscard]] QList<SettingsEntry> entries(const QString& section) const;
    // False when there was no such section.
    bool removeSection(const QString& section);
    void clear();

    [[nodiscard]] bool isEmpty() const { return m_sections.isEmpty(); }
    [[nodiscard]] const QList<Section>& sections() const { return m_sections; }

private:
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_rows;
};
