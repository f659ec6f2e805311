#include "mainwindow/ui/OptionActions.h"

#include "mainwindow/OptionKeys.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/ActionRegistry.h"
#include "mainwindow/ui/MenuArrays.h"

#include <QAction>

namespace {

// Item i of the ignored attributes stands for the attribute bit 2^i; bits 8 and 16 are hidden placeholders.
constexpr int kAttributeItems = 6;
const char* const kAttributeCaptions[kAttributeItems] = {
    QT_TRANSLATE_NOOP("MainWindow", "読み取り専用(&R)"), QT_TRANSLATE_NOOP("MainWindow", "隠しﾌｧｲﾙ(&D)"),
    QT_TRANSLATE_NOOP("MainWindow", "ｼｽﾃﾑ(&S)"),         QT_TRANSLATE_NOOP("MainWindow", "ダミー"),
    QT_TRANSLATE_NOOP("MainWindow", "ダミー"),           QT_TRANSLATE_NOOP("MainWindow", "ｱｰｶｲﾌﾞ(&A)"),
};

bool isPlaceholderAttribute(int item) {
    return item == 3 || item == 4;
}

QString attributeItemName(int item) {
    return arrayItemName(QStringLiteral("mnuAttributes"), item);
}

} // namespace

OptionActions::OptionActions(Options& options, ActionRegistry& actions, Changed changed)
    : m_options(options)
    , m_actions(actions)
    , m_changed(std::move(changed)) {
    for (const OptionKey& option : optionKeys()) {
        if (option.action == nullptr)
            continue;
        QAction* item = m_actions.addCheckable(QString::fromLatin1(option.action), tr(option.caption),
                                               [this, &option](bool checked) {
                                                   m_options.*std::get<bool Options::*>(option.member) = checked;
                                                   m_changed(option, checked);
                                               });
        item->setVisible(qstrcmp(option.action, "mnuRENAMEONCOLLISION") != 0);
    }
    for (int i = 0; i < kAttributeItems; ++i) {
        QAction* item =
            m_actions.addCheckable(attributeItemName(i), tr(kAttributeCaptions[i]), [this, i](bool checked) {
                if (checked)
                    m_options.ignoredAttributes |= 1 << i;
                else
                    m_options.ignoredAttributes &= ~(1 << i);
            });
        item->setProperty("index", i);
        item->setVisible(!isPlaceholderAttribute(i));
    }
}

void OptionActions::applyToMenus() {
    for (const OptionKey& option : optionKeys()) {
        if (option.action != nullptr) {
            m_actions.find(QString::fromLatin1(option.action))
                ->setChecked(m_options.*std::get<bool Options::*>(option.member));
        }
    }
    for (int i = 0; i < kAttributeItems; ++i) {
        if (!isPlaceholderAttribute(i))
            m_actions.find(attributeItemName(i))->setChecked((m_options.ignoredAttributes & (1 << i)) != 0);
    }
}
