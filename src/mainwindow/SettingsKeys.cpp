#include "mainwindow/SettingsKeys.h"

#include "mainwindow/OptionKeys.h"
#include "mainwindow/Options.h"
#include "mainwindow/WindowSettings.h"
#include "platform/SettingsStore.h"

#include <QStringList>

#include <cmath>
#include <optional>

namespace {

const QString kWindowSize = QStringLiteral("WindowSize");
const QString kListColumn = QStringLiteral("ListColumn");
const QString kFont = QStringLiteral("Font");
const QString kSettings = QStringLiteral("Settings");
const QString kCoolbar = QStringLiteral("Coolbar");
const QString kColumnKeys[] = {QStringLiteral("filename"),      QStringLiteral("path"),      QStringLiteral("size"),
                               QStringLiteral("lastwritetime"), QStringLiteral("attribute"), QStringLiteral("newname")};

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A single-precision value with its default when the text does not parse.
double readSingle(const SettingsStore& store, const QString& section, const QString& key, double fallback) {
    return number(store.readSetting(section, key, SettingsKeys::singleText(fallback))).value_or(fallback);
}

const OptionKey& option(const char* section, const char* key) {
    for (const OptionKey& candidate : optionKeys()) {
        if (candidate.section != nullptr && qstrcmp(candidate.section, section) == 0 &&
            qstrcmp(candidate.key, key) == 0)
            return candidate;
    }
    Q_UNREACHABLE();
}

void writeOptions(SettingsStore& store,
                  const Options& options,
                  std::initializer_list<const char*> keys,
                  const char* section = "Settings") {
    for (const char* key : keys) {
        store.writeSetting(QLatin1String(section), QLatin1String(key), encodeOption(options, option(section, key)));
    }
}

// "filename 150": a known key and a width. Nothing for anything else.
std::optional<ColumnSetting> readColumn(const QString& text) {
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space < 0)
        return std::nullopt;
    const QString key = text.left(space);
    if (std::find(std::begin(kColumnKeys), std::end(kColumnKeys), key) == std::end(kColumnKeys))
        return std::nullopt;
    const auto width = number(text.mid(space + 1));
    if (!width || *width < 0 || *width > 32767)
        return std::nullopt;
    return ColumnSetting{key, static_cast<int>(std::lround(*width))};
}

// The columns of the list by display position; the defaults unless every entry names another column.
// Settings saved before the list had its new-name column hold five entries; that column then takes its
// first-start place and width.
std::vector<ColumnSetting> readColumns(const SettingsStore& store) {
    constexpr int kClassicColumns = 5;
    std::vector<ColumnSetting> columns;
    if (store.readSetting(kListColumn, QStringLiteral("1"), QString()).isEmpty())
        return columns;
    QStringList seen;
    for (int position = 1; position <= static_cast<int>(std::size(kColumnKeys)); ++position) {
        const QString text = store.readSetting(kListColumn, QString::number(position), QString());
        if (position > kClassicColumns && text.isEmpty())
            break;
        const auto column = readColumn(text);
        if (!column || seen.contains(column->key))
            return {};
        seen.append(column->key);
        columns.push_back(*column);
    }
    return columns;
}

// " True 0 True": the child's key, the new-row flag, the width and the visibility.
BandSetting readBand(const QString& text) {
    BandSetting fallback;
    const QStringList fields = text.split(QLatin1Char(' '));
    if (fields.size() < 4)
        return fallback;
    BandSetting band;
    band.key = fields[0] == QLatin1String("toolbar") || fields[0] == QLatin1String("filename") ? fields[0] : QString();
    band.newRow = decodeBoolean(fields[1]).value_or(fallback.newRow);
    band.widthTwips = number(fields[2]).value_or(fallback.widthTwips);
    band.visible = decodeBoolean(fields[3]).value_or(fallback.visible);
    return band;
}

} // namespace

QString SettingsKeys::singleText(double value) {
    return QString::number(static_cast<float>(value), 'g', 7);
}

void SettingsKeys::load(const SettingsStore& store, Options& options, WindowSettings& window) {
    const WindowSettings defaults;
    window.topTwips = readSingle(store, kWindowSize, QStringLiteral("Top"), defaults.topTwips);
    window.leftTwips = readSingle(store, kWindowSize, QStringLiteral("Left"), defaults.leftTwips);
    window.heightTwips = readSingle(store, kWindowSize, QStringLiteral("Height"), defaults.heightTwips);
    window.widthTwips = readSingle(store, kWindowSize, QStringLiteral("Width"), defaults.widthTwips);
    window.logHeightTwips = readSingle(store, kWindowSize, QStringLiteral("HeightOfLog"), defaults.logHeightTwips);
    window.logWidthTwips = readSingle(store, kWindowSize, QStringLiteral("WidthOfLog"), defaults.logWidthTwips);
    window.columns = readColumns(store);
    window.listFontName = store.readSetting(kFont, QStringLiteral("ListFontName"), defaults.listFontName);
    const auto listSize = number(store.readSetting(kFont, QStringLiteral("ListFontSize"), QStringLiteral("9")));
    window.listFontSize = listSize && *listSize > 0 && *listSize < 1000 ? *listSize : defaults.listFontSize;
    window.logFontName = store.readSetting(kFont, QStringLiteral("LogFontName"), defaults.logFontName);
    const auto logSize = number(store.readSetting(kFont, QStringLiteral("LogFontSize"), QStringLiteral("9")));
    window.logFontSize =
        logSize && *logSize >= 1 && *logSize <= 32767 ? static_cast<int>(std::lround(*logSize)) : defaults.logFontSize;
    for (std::size_t i = 0; i < window.bands.size(); ++i)
        window.bands[i] = readBand(store.readSetting(kCoolbar, QString::number(i + 1), QStringLiteral(" True 0 True")));

    const Options first;
    for (const OptionKey& key : optionKeys()) {
        if (key.section == nullptr)
            continue;
        const QString text =
            store.readSetting(QLatin1String(key.section), QLatin1String(key.key), encodeOption(first, key));
        if (!decodeOption(options, key, text))
            decodeOption(options, key, encodeOption(first, key));
    }
    if (options.maxFileSize < 1 || options.maxFileSize > 32000)
        options.maxFileSize = first.maxFileSize;
}

void SettingsKeys::save(SettingsStore& store,
                        const Options& options,
                        const WindowSettings& window,
                        const std::function<void()>& saveFormats,
                        const std::function<void()>& saveHistory) {
    store.writeSetting(kWindowSize, QStringLiteral("Top"), singleText(window.topTwips));
    store.writeSetting(kWindowSize, QStringLiteral("Left"), singleText(window.leftTwips));
    store.writeSetting(kWindowSize, QStringLiteral("Height"), singleText(window.heightTwips));
    store.writeSetting(kWindowSize, QStringLiteral("Width"), singleText(window.widthTwips));
    store.writeSetting(kWindowSize, QStringLiteral("HeightOfLog"), singleText(window.logHeightTwips));
    store.writeSetting(kWindowSize, QStringLiteral("WidthOfLog"), singleText(window.logWidthTwips));
    for (std::size_t i = 0; i < window.columns.size(); ++i) {
        store.writeSetting(kListColumn, QString::number(i + 1),
                           window.columns[i].key + QLatin1Char(' ') + QString::number(window.columns[i].width));
    }
    writeOptions(store, options, {"Sorted", "Ascending", "HideList", "ToolTipText", "ShowLog"});
    store.writeSetting(kFont, QStringLiteral("ListFontName"), window.listFontName);
    store.writeSetting(kFont, QStringLiteral("ListFontSize"),
                       QString::number(std::round(window.listFontSize * 10000) / 10000, 'g', 10));
    store.writeSetting(kFont, QStringLiteral("LogFontName"), window.logFontName);
    store.writeSetting(kFont, QStringLiteral("LogFontSize"), QString::number(window.logFontSize));
    if (saveFormats)
        saveFormats();
    writeOptions(store, options, {"WildCard", "FileAttributes"});
    writeOptions(store, options, {"Check", "TargetFolder"}, "Folder");
    writeOptions(store, options,
                 {"AlwaysCopy", "Recycled", "DelNoUseChr", "NoFormat", "RenumberOnCollition", "ClearAfterRename",
                  "FunctionStyle", "MaxFileSize", "NoErrorUI", "NoConfirmation", "InitDir"});
    if (saveHistory)
        saveHistory();
    writeOptions(store, options, {"ToolbarCaption", "Preview"});
    for (std::size_t i = 0; i < window.bands.size(); ++i) {
        const BandSetting& band = window.bands[i];
        store.writeSetting(kCoolbar, QString::number(i + 1),
                           band.key + QLatin1Char(' ') + encodeBoolean(band.newRow) + QLatin1Char(' ') +
                               singleText(band.widthTwips) + QLatin1Char(' ') + encodeBoolean(band.visible));
    }
    writeStatusBar(store, options);
}

void SettingsKeys::writeStatusBar(SettingsStore& store, const Options& options) {
    writeOptions(store, options, {"ShowStatusBar"});
}
