#pragma once

#include <QString>

// The wildcard rule of the folder search: "*" matches any run of characters, "?" any one character,
// letter case is ignored, "*.*" matches every name, and a pattern ending in ".*" also matches the
// same name without any extension. Several patterns may be joined by ';'.
bool matchesFolderWildcard(const QString& name, const QString& wildcard);
