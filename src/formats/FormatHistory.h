#pragma once

#include <QStringList>

class SettingsStore;

// The section of the settings store that holds the history, "0" … "9" → format.
inline QString historySection() {
    return QStringLiteral("FileName");
}

// What one addition did to the list, so that a combo box can make the same edits.
struct HistoryChange {
    bool inserted = false;      // the format went in at index 0
    int removedIndex = -1;      // then the older copy at this index went
    bool droppedOldest = false; // then the item at index kMaxCount went
};

// The formats of the last runs, most recent first; no two are equal (compared exactly).
class FormatHistory {
public:
    static constexpr int kMaxCount = 10;

    [[nodiscard]] const QStringList& items() const { return m_items; }

    // The format of a real run goes to the top; its older copy, or else the oldest beyond ten, goes.
    HistoryChange addFormatToHistory(const QString& format);

    // Keys "0", "1", … up to the first missing or empty one.
    void load(const SettingsStore& store);
    // Keys "0" … count − 1; keys beyond are left as they are.
    void save(SettingsStore& store) const;

private:
    QStringList m_items;
};
