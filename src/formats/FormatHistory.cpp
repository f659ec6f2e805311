#include "formats/FormatHistory.h"

#include "platform/SettingsStore.h"

HistoryChange FormatHistory::addFormatToHistory(const QString& format) {
    HistoryChange change;
    if (format.isEmpty())
        return change;
    m_items.prepend(format);
    change.inserted = true;
    // Only an older copy is looked for, from the oldest up, and only one goes.
    for (qsizetype i = m_items.size() - 1; i >= 1; --i) {
        if (m_items.at(i) == format) {
            m_items.removeAt(i);
            change.removedIndex = static_cast<int>(i);
            break;
        }
    }
    if (m_items.size() > kMaxCount) {
        m_items.removeAt(kMaxCount);
        change.droppedOldest = true;
    }
    return change;
}

void FormatHistory::load(const SettingsStore& store) {
    m_items.clear();
    for (int d = 0; d < kMaxCount; ++d) {
        const QString format = store.readSetting(historySection(), QString::number(d), QString());
        if (format.isEmpty())
            break;
        m_items.append(format);
    }
}

void FormatHistory::save(SettingsStore& store) const {
    for (qsizetype j = 0; j < m_items.size(); ++j)
        store.writeSetting(historySection(), QString::number(j), m_items.at(j));
}
