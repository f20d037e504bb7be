#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh program
scripts/build.sh program
# A program folder without a database source tree gets a small sample one
# (never overwriting a file), so that every section editor opens on the first
# start. The program folder is the one that holds the kessik binary.
if [ -x build/app/kessik ] && [ -z "$(ls -A build/app/bases/database 2>/dev/null)" ]; then
  build/tools/kessik-db sample build/app/ || echo "The sample source tree could not be written completely." >&2
fi
if [ -x build/app/kessik ]; then
  exec build/app/kessik "$@"
fi
exec build/tools/kessik-db --help
