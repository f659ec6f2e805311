#pragma once

class QLineEdit;
class QMenu;

// Fills the Functions and Variables submenus; choosing an item types its word into the format box at
// the caret (a function with its parentheses, the caret between them).
void buildInsertionMenus(QMenu* functions, QMenu* variables, QLineEdit* formatBox);
