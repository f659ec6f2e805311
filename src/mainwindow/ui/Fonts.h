#pragma once

#include <QFont>

#include <functional>
#include <optional>

class QWidget;

// The Japanese faces that settings written elsewhere name ("ＭＳ Ｐゴシック", the first-start face) stand for
// faces of this machine that look alike and are as wide, so that the list shows its glyphs and the first-start
// column widths fit. A face the user chose is kept under its own name.
void installFontSubstitutes();

// The font dialog for a face and a size; nothing when the user cancels.
using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& preset, const QString& title)>;
std::optional<QFont> askFont(QWidget* parent, const QFont& preset, const QString& title);

// A face and a size in points.
QFont fontOf(const QString& face, double points);
