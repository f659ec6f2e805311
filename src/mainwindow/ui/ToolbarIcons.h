#pragma once

#include <QIcon>

// The picture of the toolbar button with this key: the desktop icon theme's picture for the command, else
// the program's own. A key without a picture gets a null icon, which leaves the button without one.
QIcon toolbarIcon(const QString& key);
