#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the example
# project. The program keeps a project's budget saved as its window closes,
# so it works on a copy of the examples in the user's projects' folder
# (copied there when absent), never on the files under version control.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
if [[ ! -x build/tender/dimoprasia ]]; then
  echo "The main window is not built yet; the libraries and tests are."
  exit 0
fi
# The projects' folder: «Δημοπρασία» in the documents folder, found as the
# program finds it (XDG_DOCUMENTS_DIR, else the desktop's folder settings,
# else the home folder). The program makes it at its first start.
home=${HOME:-/tmp}
documents=""
if [[ "${XDG_DOCUMENTS_DIR:-}" == /* && -d "${XDG_DOCUMENTS_DIR}" ]]; then
  documents=$XDG_DOCUMENTS_DIR
else
  config=${XDG_CONFIG_HOME:-}
  [[ "$config" == /* ]] || config="$home/.config"
  settings="$config/user-dirs.dirs"
  if [[ -f "$settings" ]]; then
    line=$(head -c 65536 "$settings" | grep -m1 '^XDG_DOCUMENTS_DIR="' || true)
    value=""
    [[ "$line" =~ ^XDG_DOCUMENTS_DIR=\"([^\"]*)\" ]] && value=${BASH_REMATCH[1]}
    [[ "$value" == '$HOME' || "$value" == '$HOME/'* ]] && value="$home${value#\$HOME}"
    if [[ "$value" == /* && -d "$value" && "$value" != "$home" && "$value" != "$home/" ]]; then
      documents=$value
    fi
  fi
fi
projects="${documents:-$home}/Δημοπρασία"
mkdir -p "$projects"
for file in examples/*; do
  [[ -e "$projects/${file##*/}" ]] || cp -p "$file" "$projects/"
done
exec build/tender/dimoprasia "$projects/EXAMPLE.DDN"
