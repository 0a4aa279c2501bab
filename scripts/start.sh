#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it on the example
# project.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
if [[ -x build/tender/dimoprasia ]]; then
  exec build/tender/dimoprasia "$top/examples/EXAMPLE.DDN"
fi
echo "The main window is not built yet; the libraries and tests are."
