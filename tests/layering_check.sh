#!/usr/bin/env bash
# Behaviour code must run without a display: no Qt Widgets include in player/ or about/,
# and the arrows point down only (player/ and about/ never include app/).
set -u
src=$1
bad=$(grep -rnE '#include\s*[<"](QtWidgets|QWidget|QMainWindow|QDialog|QMessageBox|QLabel|QPushButton|QApplication|QMenu|QAction|app/)' \
      "$src/player" "$src/about" 2>/dev/null)
if [ -n "$bad" ]; then
  echo "behaviour code includes widget or app headers:"; echo "$bad"; exit 1
fi
bad=$(grep -rnE '#include\s*"(player|about|app)/' "$src/media" "$src/platform" 2>/dev/null)
if [ -n "$bad" ]; then
  echo "lower layers include upper ones:"; echo "$bad"; exit 1
fi
echo "layering ok"
