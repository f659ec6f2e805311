#!/usr/bin/env bash
# Fails when a file below the widgets includes a widget or GUI header. Only ui/ folders and the program's
# composition root may; the rest links Qt6::Core alone, but Qt's base include folder would let
# <QtWidgets/...> through unnoticed.
set -euo pipefail
cd "$(dirname "$0")/.."
found=$(git ls-files 'src/*.h' 'src/*.cpp' | grep -v -E '(^|/)ui/|^src/app/' |
    xargs grep -n -E '#include\s*<(QtWidgets|QtGui)(/|>)|#include\s*<Q(Widget|Application|MainWindow|Dialog|MessageBox|Menu|Action|Gui[A-Za-z]*|Painter|Pixmap|Icon|Font|Color)>' || true)
if [ -n "$found" ]; then
    echo "widget or GUI headers below the widgets:"
    echo "$found"
    exit 1
fi
echo "layers: no widget or GUI header below the widgets"
