#include "formats/SavedFormats.h"

#include "platform/SettingsStore.h"
#include "platform/UserPrompt.h"

namespace {

const SavedFormat kRegisterCommand;

} // namespace

SavedFormats::SavedFormats(QObject* parent)
    : QObject(parent) {}

SavedFormats::~SavedFormats() = default;

const SavedFormat& SavedFormats::at(int index) const {
    return index >= 1 && index <= count() ? m_formats.at(index - 1) : kRegisterCommand;
}

int SavedFormats::indexOfName(const QString& name) const {
    return m_byName.value(name, 0);
}

int SavedFormats::indexOfFormat(const QString& format) const {
    return m_byFormat.value(format, 0);
}

RegisterResult SavedFormats::registerFormat(UserPrompt& prompt, const QString& format) {
    if (format.isEmpty())
        return {RegisterOutcome::EmptyFormat, 0};
    const int registered = indexOfFormat(format);
    const std::optional<QString> answer =
        prompt.input(format + QStringLiteral("\r\n\r\n") + tr("この書式の名前を入力してください。"), tr("書式の登録"),
                     at(registered).name);
    if (!answer || answer->isEmpty())
        return {RegisterOutcome::Cancelled, 0};
    const QString& name = *answer;
    if (const int holder = indexOfName(name); holder != 0) {
        prompt.inform(name + QStringLiteral("\r\n\r\n") + tr("その名前はすでに使用されています。"), programTitle(),
                      PromptIcon::Critical);
        return {RegisterOutcome::NameInUse, holder};
    }
    if (registered != 0) {
        m_byName.remove(m_formats.at(registered - 1).name);
        m_formats[registered - 1].name = name;
        m_byName.insert(name, registered);
        m_changed = true;
        Q_EMIT listChanged();
        return {RegisterOutcome::Renamed, registered};
    }
    append({{name, format}});
    return {RegisterOutcome::Added, count()};
}

void SavedFormats::append(const QList<SavedFormat>& formats) {
    if (formats.isEmpty())
        return;
    const int from = count();
    m_formats.append(formats);
    index(from);
    m_changed = true;
    Q_EMIT listChanged();
}

void SavedFormats::replaceAll(const QList<SavedFormat>& formats) {
    m_formats = formats;
    reindex();
    m_changed = true;
    Q_EMIT listChanged();
}

void SavedFormats::load(const SettingsStore& store) {
    m_formats.clear();
    for (const SettingsEntry& entry : store.readSection(formatsSection()))
        m_formats.append({entry.key, entry.value});
    reindex();
    Q_EMIT listChanged();
}

void SavedFormats::save(SettingsStore& store) const {
    if (!m_changed)
        return;
    store.deleteStoreKey(formatsSection());
    for (const SavedFormat& saved : m_formats)
        store.writeSetting(formatsSection(), saved.name, saved.format);
}

void SavedFormats::reindex() {
    m_byName.clear();
    m_byFormat.clear();
    index(0);
}

// The first holder of a name or format is the one found.
void SavedFormats::index(int from) {
    for (int i = from; i < count(); ++i) {
        const SavedFormat& saved = m_formats.at(i);
        if (!m_byName.contains(saved.name))
            m_byName.insert(saved.name, i + 1);
        if (!m_byFormat.contains(saved.format))
            m_byFormat.insert(saved.format, i + 1);
    }
}
