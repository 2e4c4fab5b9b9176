#!/usr/bin/env bash
# run_in_wine.sh BUILD_DIR PROGRAM [ARGS...]: runs a Windows program under
# Wine in the prefix BUILD_DIR/wineprefix, made on first use.
set -euo pipefail
build=$1
shift
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec wine "$@"
