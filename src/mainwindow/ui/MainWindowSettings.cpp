// The main window's settings: read once at start-up and applied in order, written once at shutdown.

#include "execution/ui/LogViewer.h"
#include "filelist/FileRow.h"
#include "filelist/ui/FileListView.h"
#include "mainwindow/Options.h"
#include "mainwindow/SettingsKeys.h"
#include "mainwindow/ui/FormatCommands.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/Rebar.h"
#include "mainwindow/ui/RunController.h"
#include "platform/SettingsStore.h"
#include "platform/UserPrompt.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// Window geometry is kept in twips; 15 twips make one pixel at 96 dots per inch.
constexpr double kTwipsPerPixel = 15;

// Whole pixels, the part of one dropped.
int pixels(double twips) {
    return static_cast<int>(twips / kTwipsPerPixel);
}

// A window that would lie wholly off every screen (a monitor that is gone) comes back onto the primary one;
// one that is partly visible stays where it was.
QPoint onSomeScreen(const QRect& frame) {
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->availableGeometry().intersects(frame))
            return frame.topLeft();
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->availableGeometry().topLeft() : frame.topLeft();
}

} // namespace

void MainWindow::loadSettings() {
    const SettingsLoad loaded = m_settings.load();
    SettingsKeys::load(m_settings, m_options, m_window);
    applyWindowSettings();
    m_rebar->restore(m_window.bands);
    m_formats->load();
    applyOptionsToMenus();
    SettingsKeys::writeStatusBar(m_settings, m_options);
    if (loaded.state == SettingsLoadState::SetAside || loaded.state == SettingsLoadState::Unusable) {
        QString text = tr("設定を読めなかったため、最初の設定で起動します。") + QStringLiteral("\r\n") + loaded.reason;
        if (loaded.state == SettingsLoadState::SetAside)
            text += QStringLiteral("\r\n") + tr("読めなかった設定は「%1」に残してあります。").arg(loaded.keptAs);
        m_prompt.inform(text, programTitle(), PromptIcon::Exclamation);
    }
}

void MainWindow::applyWindowSettings() {
    const WindowSettings defaults;
    const int width = pixels(m_window.widthTwips) > 0 ? pixels(m_window.widthTwips) : pixels(defaults.widthTwips);
    const int height = pixels(m_window.heightTwips) > 0 ? pixels(m_window.heightTwips) : pixels(defaults.heightTwips);
    resize(width, height);
    move(onSomeScreen(QRect(pixels(m_window.leftTwips), pixels(m_window.topTwips), width, height)));

    // The font first: the first-start widths are measured in it.
    m_list->setFont(fontOf(m_window.listFontName, m_window.listFontSize));
    QHeaderView* header = m_list->header();
    if (m_window.columns.empty()) {
        m_list->setDefaultColumnWidths();
    } else {
        for (int position = 0; position < static_cast<int>(m_window.columns.size()); ++position) {
            const ColumnSetting& column = m_window.columns[static_cast<std::size_t>(position)];
            const auto logical = columnForKey(column.key);
            if (!logical)
                continue;
            const int section = static_cast<int>(*logical);
            header->resizeSection(section, column.width);
            header->moveSection(header->visualIndex(section), position);
        }
    }
    // Unless the settings put it elsewhere, the new name stands beside the old one.
    const bool placed = std::any_of(m_window.columns.begin(), m_window.columns.end(), [](const ColumnSetting& column) {
        return columnForKey(column.key) == FileColumn::NewName;
    });
    if (!placed) {
        header->moveSection(header->visualIndex(static_cast<int>(FileColumn::NewName)),
                            header->visualIndex(static_cast<int>(FileColumn::FileName)) + 1);
    }

    LogViewSettings& log = m_run->logSettings();
    log.widthTwips = m_window.logWidthTwips;
    log.heightTwips = m_window.logHeightTwips;
    log.fontName = m_window.logFontName;
    log.fontSize = m_window.logFontSize;
}

void MainWindow::captureWindowSettings() {
    // The place of the window's frame and the size of its inside, as a restart puts them back.
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
    m_window.topTwips = normal.y() * kTwipsPerPixel;
    m_window.leftTwips = normal.x() * kTwipsPerPixel;
    m_window.heightTwips = normal.height() * kTwipsPerPixel;
    m_window.widthTwips = normal.width() * kTwipsPerPixel;
    QHeaderView* header = m_list->header();
    m_window.columns.clear();
    for (int position = 0; position < header->count(); ++position) {
        const int section = header->logicalIndex(position);
        // A hidden column measures nothing; the width it comes back with is kept.
        const bool hidden = header->isSectionHidden(section);
        header->setSectionHidden(section, false);
        m_window.columns.push_back({columnKey(static_cast<FileColumn>(section)), header->sectionSize(section)});
        header->setSectionHidden(section, hidden);
    }
    m_window.bands = m_rebar->state();
    const LogViewSettings& log = m_run->logSettings();
    m_window.logWidthTwips = log.widthTwips;
    m_window.logHeightTwips = log.heightTwips;
    m_window.logFontName = log.fontName;
    m_window.logFontSize = log.fontSize;
}

void MainWindow::saveSettings() {
    captureWindowSettings();
    SettingsKeys::save(
        m_settings, m_options, m_window, [this] { m_formats->saveFormats(); }, [this] { m_formats->saveHistory(); });
    // A store that cannot be written loses this run's changes, and nothing else; the program ends all the same.
    const SettingsResult saved = m_settings.save();
    if (!saved.ok)
        qWarning("Tokrenu: the settings could not be saved: %s", qUtf8Printable(saved.error));
}

void MainWindow::deleteSettings() {
    const QString text = tr("Tokrenuのレジストリを削除します。") + QStringLiteral("\r\n\r\n") + tr("よろしいですか？");
    if (m_prompt.message(text, programTitle(), PromptIcon::Question, PromptButtons::OkCancel, PromptAnswer::Cancel) !=
        PromptAnswer::Ok)
        return;
    static_cast<void>(m_settings.deleteStoreKey());
    m_settingsDeleted = true;
    close();
}

void MainWindow::askMaxFileSize() {
    const auto answer = m_prompt.input(tr("CommonDialog.MaxFileSizeをいくつにしますか？ (1～32000ﾊﾞｲﾄ）"),
                                       tr("おたずね"), QString::number(m_options.maxFileSize));
    if (!answer)
        return;
    bool numeric = false;
    const double value = answer->trimmed().toDouble(&numeric);
    if (!numeric || !std::isfinite(value))
        return;
    const double rounded = std::round(value);
    if (rounded >= 1 && rounded <= 32000)
        m_options.maxFileSize = static_cast<int>(rounded);
}

void MainWindow::chooseListFont() {
    const auto chosen = m_chooseFont(this, fontOf(m_window.listFontName, m_window.listFontSize), tr("ﾘｽﾄ"));
    if (!chosen)
        return;
    // The face and the size; bold, italic and effects are not the list's.
    m_window.listFontName = chosen->family();
    m_window.listFontSize = chosen->pointSizeF();
}

void MainWindow::chooseLogFont() {
    LogViewSettings& log = m_run->logSettings();
    const auto chosen = m_chooseFont(this, fontOf(log.fontName, log.fontSize), tr("ﾛｸﾞ"));
    if (!chosen)
        return;
    log.fontName = chosen->family();
    // Whole points, a half going to the even neighbour.
    log.fontSize = static_cast<int>(std::nearbyint(chosen->pointSizeF()));
}
