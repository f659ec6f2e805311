#pragma once

#include <QStringList>

// The words of the Functions and Variables menus, in plain character-code order (capitals first).
QStringList functionMenuWords();
QStringList variableMenuWords();

// Sorts in place by plain character-code comparison: a selection sort, as the menus have always been.
void selectionSort(QStringList& words);
