#include "mainwindow/ui/FormatCommands.h"

#include "formats/FormatFile.h"
#include "formats/SavedFormats.h"
#include "formats/ui/FormatFileDialogs.h"
#include "formats/ui/FormatOrganizer.h"
#include "mainwindow/ui/ActionRegistry.h"
#include "mainwindow/ui/FormatBox.h"
#include "mainwindow/ui/MenuArrays.h"

#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QMenu>

FormatCommands::FormatCommands(FormatBox& box, SettingsStore& store, UserPrompt& prompt, QWidget* window)
    : QObject(window)
    , listFont([window] { return window->font(); })
    , toolTips([] { return true; })
    , exportPath(askExportPath)
    , importPath(askImportPath)
    , m_box(box)
    , m_store(store)
    , m_prompt(prompt)
    , m_window(window)
    , m_saved(new SavedFormats(this)) {
    connect(m_saved, &SavedFormats::listChanged, this, &FormatCommands::showFormats);
    // A format chosen from the history is taken whole, selected, ready to be replaced or run.
    connect(m_box.combo(), &QComboBox::activated, this, [this] {
        m_box.edit()->setFocus();
        m_box.edit()->selectAll();
    });
}

FormatCommands::~FormatCommands() = default;

void FormatCommands::addActions(ActionRegistry& actions) {
    actions.add({"mnuFormat_0", tr("登録する(&R)..."), [this] {
                     registerFormat();
                 }});
    actions.add({"mnuAdjust", tr("整理(&A)..."), [this] {
                     organize();
                 }});
    actions.add({"mnuFormInport", tr("ｲﾝﾎﾟｰﾄ(&I)..."), [this] {
                     importFormats();
                 }});
    actions.add({"mnuFormExport", tr("ｴｸｽﾎﾟｰﾄ(&E)..."), [this] {
                     exportFormats();
                 }});
}

void FormatCommands::setRegisterMenu(QMenu* menu) {
    m_registerMenu = menu;
    showFormats();
}

void FormatCommands::load() {
    m_saved->load(m_store);
    m_history.load(m_store);
    showHistory();
    // The format box starts with the last format run.
    m_box.edit()->setText(m_history.items().value(0));
}

void FormatCommands::saveFormats() {
    m_saved->save(m_store);
}

void FormatCommands::saveHistory() {
    m_history.save(m_store);
}

void FormatCommands::formatRun(const QString& format) {
    if (!m_history.addFormatToHistory(format).inserted)
        return;
    showHistory();
}

void FormatCommands::showHistory() {
    const QString text = m_box.edit()->text();
    QComboBox* combo = m_box.combo();
    combo->clear();
    combo->addItems(m_history.items());
    // The list changes under the box; what the user sees and runs does not.
    m_box.edit()->setText(text);
}

// Item i of the menu after the register command is registered format i.
void FormatCommands::showFormats() {
    if (m_registerMenu == nullptr)
        return;
    const auto items = m_registerMenu->actions();
    for (QAction* item : items) {
        if (item->objectName() != QLatin1String("mnuFormat_0")) {
            m_registerMenu->removeAction(item);
            delete item;
        }
    }
    for (int i = 1; i <= m_saved->count(); ++i) {
        QAction* item = addArrayAction(m_registerMenu, QStringLiteral("mnuFormat"), i, m_saved->at(i).name);
        connect(item, &QAction::triggered, this, [this, i] { recallFormat(i); });
    }
}

void FormatCommands::registerFormat() {
    const RegisterResult result = m_saved->registerFormat(m_prompt, m_box.text());
    if (result.outcome == RegisterOutcome::EmptyFormat)
        recallFormat(0);
}

void FormatCommands::recallFormat(int index) {
    m_box.edit()->setText(m_saved->recallFormat(index));
    m_box.edit()->setFocus();
}

void FormatCommands::organize() {
    FormatOrganizer organizer(*m_saved, listFont(), toolTips(), m_prompt, m_window);
    organizer.exec();
}

void FormatCommands::exportFormats() {
    const QString path = exportPath(m_window);
    if (!path.isEmpty())
        ::exportFormats(*m_saved, path, m_prompt);
}

void FormatCommands::importFormats() {
    const QString path = importPath(m_window);
    if (!path.isEmpty())
        ::importFormats(*m_saved, m_store, path, m_prompt);
}
