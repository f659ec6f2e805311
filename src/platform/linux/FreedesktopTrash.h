#pragma once

#include <QString>

// Moves a file or folder into the freedesktop trash: the home trash ($XDG_DATA_HOME/Trash, or
// ~/.local/share/Trash) for what lies on the home trash's file system, else the trash at the top of the
// file's own mount. False, with a text that says why, when there is no usable trash (no home, a trash
// folder that is not safe, a file system that refuses): nothing is deleted then, and no folder is made
// anywhere but in a trash.
bool moveToFreedesktopTrash(const QString& path, QString* errorText);
