#pragma once

class QCoreApplication;

// Makes Qt's own buttons and dialogs speak Japanese with the rest of the program: Qt's Japanese
// translations from the system and the Japanese locale for what Qt formats itself. False when the
// translations are not installed; the texts then stay English.
bool installQtTranslations(QCoreApplication& application);
