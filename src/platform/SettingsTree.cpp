#include "platform/SettingsTree.h"

const QString* SettingsTree::find(const QString& section, const QString& key) const {
    const auto sectionRow = m_rows.constFind(section);
    if (sectionRow == m_rows.cend())
        return nullptr;
    const Section& found = m_sections.at(*sectionRow);
    const auto keyRow = found.rows.constFind(key);
    return keyRow == found.rows.cend() ? nullptr : &found.entries.at(*keyRow).value;
}

bool SettingsTree::write(const QString& section, const QString& key, const QString& value) {
    auto sectionRow = m_rows.constFind(section);
    if (sectionRow == m_rows.cend()) {
        sectionRow = m_rows.insert(section, m_sections.size());
        m_sections.append({section, {}, {}});
    }
    Section& target = m_sections[*sectionRow];
    const auto keyRow = target.rows.constFind(key);
    if (keyRow == target.rows.cend()) {
        target.rows.insert(key, target.entries.size());
        target.entries.append({key, value});
        return true;
    }
    QString& stored = target.entries[*keyRow].value;
    if (stored == value)
        return false;
    stored = value;
    return true;
}

QList<SettingsEntry> SettingsTree::entries(const QString& section) const {
    const auto row = m_rows.constFind(section);
    return row == m_rows.cend() ? QList<SettingsEntry>() : m_sections.at(*row).entries;
}

bool SettingsTree::removeSection(const QString& section) {
    const auto row = m_rows.constFind(section);
    if (row == m_rows.cend())
        return false;
    const qsizetype removed = *row;
    m_sections.removeAt(removed);
    m_rows.erase(row);
    for (qsizetype& later : m_rows) {
        if (later > removed)
            --later;
    }
    return true;
}

void SettingsTree::clear() {
    m_sections.clear();
    m_rows.clear();
}
