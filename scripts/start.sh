#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the example
# project. The program keeps a project's budget saved as its window closes,
# so it works on a copy of the examples in the user's folder of the program
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
# The program's folder: $XDG_DATA_HOME/dimoprasia, as the program finds it.
data=${XDG_DATA_HOME:-}
[[ "$data" == /* ]] || data="${HOME:-/tmp}/.local/share"
examples="$data/dimoprasia/examples"
mkdir -p "$examples"
for file in examples/*; do
  [[ -e "$examples/${file##*/}" ]] || cp -p "$file" "$examples/"
done
exec build/tender/dimoprasia "$examples/EXAMPLE.DDN"
