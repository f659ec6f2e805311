#pragma once

#include <QIcon>

class QStyle;

// The picture of the toolbar button with this key: a file key + ".bmp" next to the program when there is
// one, else a picture of the style.
QIcon toolbarIcon(const QString& key, const QStyle& style);
