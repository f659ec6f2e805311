#include "mainwindow/ui/InsertionMenus.h"

#include "expression/InsertionWords.h"
#include "mainwindow/ui/MenuArrays.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

void buildInsertionMenus(QMenu* functions, QMenu* variables, QLineEdit* formatBox) {
    const QStringList functionWords = functionMenuWords();
    for (qsizetype i = 0; i < functionWords.size(); ++i) {
        const QString& word = functionWords[i];
        QAction* item = addArrayAction(functions, QStringLiteral("mnuFunction"), static_cast<int>(i), word);
        QObject::connect(item, &QAction::triggered, formatBox, [formatBox, word] {
            formatBox->insert(word + QStringLiteral("()"));
            formatBox->cursorBackward(false, 1);
            formatBox->setFocus();
        });
    }
    const QStringList variableWords = variableMenuWords();
    for (qsizetype i = 0; i < variableWords.size(); ++i) {
        const QString& word = variableWords[i];
        QAction* item = addArrayAction(variables, QStringLiteral("mnuVariable"), static_cast<int>(i), word);
        QObject::connect(item, &QAction::triggered, formatBox, [formatBox, word] {
            formatBox->insert(word);
            formatBox->setFocus();
        });
    }
}
