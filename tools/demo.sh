#!/usr/bin/env bash
# `make demo`: the updater's whole road under Wine, shown on an Xvfb screen, then the launcher's
# road (host -> launcher -> updater -> game -> host): builds what it needs for the architecture
# this machine's Wine runs, then runs tools/demo_road.py (release server, generated package,
# ZelLoader.exe from the ready folder, screenshots, the record) and tools/demo_launcher.py.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine/env.sh"
wine_env_fixed_layout "$0" "$@"
build=${ZEL_BUILD_DIR:-$root/build}
mkdir -p "$build"

"$root/tools/setup-host.sh" || exit 1
arch=$(wine_env_arch)
wine_env_init "$build" "$arch"
wine_env_traps
"$root/tools/build.sh" "$arch" "$build/$arch" ready game_standin road_driver download_probe msgbox_driver launcher_host || exit 1
if [ ! -f "$WINEPREFIX/.zel-prefix-made" ]; then
  wine_env_make_prefix && touch "$WINEPREFIX/.zel-prefix-made" || exit 1
fi
wine_env_start || exit 1
# The ports of the build's login and statistics hosts, where the road's servers listen.
set -a; . "$build/$arch/test-ports.env"; set +a
export ZEL_TOOLS="$root/tools" PYTHONDONTWRITEBYTECODE=1
python3 "$root/tools/demo_road.py" "$build/$arch"
