#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -x build/app/kessik ]; then
  exec build/app/kessik "$@"
fi
exec build/tools/kessik-db --help
