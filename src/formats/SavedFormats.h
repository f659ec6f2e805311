#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

class SettingsStore;
class UserPrompt;

struct SavedFormat {
    QString name;
    QString format;

    friend bool operator==(const SavedFormat&, const SavedFormat&) = default;
};

enum class RegisterOutcome : std::uint8_t {
    EmptyFormat, // nothing to register: the format box gets the empty text and the focus
    Cancelled,   // no name was given
    NameInUse,   // refused with a message
    Renamed,     // the format was registered already and now goes by the new name
    Added,
};

struct RegisterResult {
    RegisterOutcome outcome = RegisterOutcome::Cancelled;
    int index = 0; // the format renamed or added
};

// The section of the settings store that holds the registered formats, name → format.
inline QString formatsSection() {
    return QStringLiteral("Form");
}

// The registered formats, numbered from 1 like the items of mnuFormat below the register command (item 0,
// which holds no format). Names are unique; names and formats are compared exactly.
class SavedFormats final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SavedFormats)

public:
    explicit SavedFormats(QObject* parent = nullptr);
    ~SavedFormats() override;

    [[nodiscard]] int count() const { return static_cast<int>(m_formats.size()); }
    // 1 … count(); 0 gives the empty element of the register command.
    [[nodiscard]] const SavedFormat& at(int index) const;
    // Format i is element i − 1.
    [[nodiscard]] const QList<SavedFormat>& formats() const { return m_formats; }
    // 0 when there is none.
    [[nodiscard]] int indexOfName(const QString& name) const;
    // The first with that format; 0 when there is none.
    [[nodiscard]] int indexOfFormat(const QString& format) const;
    // Whether anything changed since the load: only then does save() rewrite the store's section.
    [[nodiscard]] bool formatsChanged() const { return m_changed; }

    // Asks for a name for the format in the format box and registers it, or renames it when it is
    // registered already.
    RegisterResult registerFormat(UserPrompt& prompt, const QString& format);
    // The text the format box gets from menu item index.
    [[nodiscard]] QString recallFormat(int index) const { return at(index).format; }
    // The caller has made sure that no name is taken.
    void append(const QList<SavedFormat>& formats);
    void replaceAll(const QList<SavedFormat>& formats);

    // Takes the section's pairs in the store's order; not a change.
    void load(const SettingsStore& store);
    // Deletes and rewrites the section when anything changed; leaves it alone otherwise.
    void save(SettingsStore& store) const;

Q_SIGNALS:
    // Names, formats or their order changed, or the formats were loaded.
    void listChanged();

private:
    void reindex();
    void index(int from);

    QList<SavedFormat> m_formats;
    QHash<QString, int> m_byName;
    QHash<QString, int> m_byFormat;
    bool m_changed = false;
};
