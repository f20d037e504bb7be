#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
#   scripts/deps.sh program   what building and running the program needs
#   scripts/deps.sh test      that, and what the tests need: GoogleTest and
#                             Google Benchmark, clang for the fuzz targets,
#                             mingw-w64 and Wine for the Windows build
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-translations-l10n)
case "${1:-test}" in
  program) ;;
  test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
                   g++-mingw-w64-x86-64-posix wine64) ;;
  *) echo "usage: $0 program|test" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
