#!/usr/bin/env bash
# The build keeps Qt Widgets off the include path of behaviour code, the forms model and
# the service interfaces (their targets never link Qt6::Widgets), so <QWidget> does not
# compile there. A module-qualified include such as <QtWidgets/QWidget> still resolves
# through Qt's common include folder, so that one form is checked here.
set -u
src=$1
files=$(find "$src/player" "$src/about" -name '*.[ch]*'; \
        find "$src/forms" "$src/desktop" "$src/disc" "$src/settings" "$src/system" "$src/media" \
             -maxdepth 1 -name '*.[ch]*')
bad=$(grep -nE '#include\s*[<"]QtWidgets/' $files)
if [ -n "$bad" ]; then
  echo "code without Qt Widgets includes a Qt Widgets header:"; echo "$bad"; exit 1
fi
echo "layering ok"
