# Shared helpers of the build and test scripts (sourced, not run).
FENNEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FENNEL_BUILD=${FENNEL_BUILD:-$FENNEL_ROOT/build}
JOBS=${JOBS:-$(nproc)}

log() { printf '\n== %s\n' "$*"; }

FENNEL_PACKAGES=(cmake ninja-build make g++ python3 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 fonts-wine xvfb xauth x11-apps imagemagick fonts-wqy-microhei
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-plugins-ugly ffmpeg
  nsis p7zip-full ccache)
# The GStreamer plugins back Media Foundation under Wine (WAV, MP3, FLAC; AAC/M4A; WMA);
# ffmpeg makes the tones of the decoder tests, the demo and the decoding benchmark;
# makensis builds the installers, 7z lists their files; ccache keeps compiled objects.

# Compiler cache of every tree (FENNEL_CCACHE=0 turns it off). It lives outside the clone,
# and its base folder is the clone, so another clone of the project (CI clones into a
# temporary folder) reuses the same objects.
FENNEL_CCACHE=${FENNEL_CCACHE:-1}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/fennel-ccache}
export CCACHE_BASEDIR=$FENNEL_ROOT
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}

# Installs whatever of FENNEL_PACKAGES is missing. Never adds the i386 architecture.
install_deps() {
  local missing=()
  for p in "${FENNEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_tree <preset-like name> <extra cmake args...>
# Every tree compiles through ccache when it is installed; both Windows trees build their
# host copy of qcfmaker in one folder, $FENNEL_BUILD/host.
configure_tree() {
  local name=$1; shift
  local launcher=
  if [ "$FENNEL_CCACHE" != 0 ] && command -v ccache >/dev/null; then launcher=ccache; fi
  cmake -S "$FENNEL_ROOT" -B "$FENNEL_BUILD/$name" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" \
    -DFENNEL_HOST_TOOLS_DIR="$FENNEL_BUILD/host" "$@" >/dev/null
}

# build_tree <tree> [target...] or build_tree <tree> [cmake --build options...]
build_tree() {
  local tree=$1; shift
  if [ $# -gt 0 ] && [[ $1 != -* ]]; then set -- --target "$@"; fi
  cmake --build "$FENNEL_BUILD/$tree" -j "$JOBS" "$@"
}

# ---- Wine: a private prefix per build tree, a private X display, one persistent server.

WINE64=/usr/lib/wine/wine64

wine_env_start() { # <build dir>
  local tree=$1
  export WINEPREFIX="$tree/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n+1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  FENNEL_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w
    # Debian's Wine looks for its fonts in the wrong place; CJK texts need a CJK font.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Without a window manager, managed windows take about 2 s to hide; unmanaged ones don't.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p
  # Wine's background processes start here, detached from any pipe that ctest watches.
  "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -n "${FENNEL_XVFB_PID:-}" ] && kill "$FENNEL_XVFB_PID" 2>/dev/null
  wait "${FENNEL_XVFB_PID:-}" 2>/dev/null || true
  FENNEL_XVFB_PID=
}

# Registers the recording engine of a Windows tree in the current prefix, when it is built.
register_engine() { # <build dir>
  local dll
  for dll in "$1"/bin/*recorder*.dll; do
    [ -f "$dll" ] || continue
    "$WINE64" regsvr32 /s "$dll" </dev/null >/dev/null 2>&1 || echo "warning: could not register $dll"
  done
}

# A Unix path as Wine names it (Z: drive, backslashes).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Names the drive file the engine reads in the current prefix.
use_drive_file() { # <drive file>
  "$WINE64" reg add 'HKCU\Software\Fennel\Recorder' /v ConfigurationPath /d "$(winpath "$1")" /f </dev/null >/dev/null 2>&1
}

# Starts the Wine environment of a tree with its engine registered and one virtual drive R
# holding a blank 80-minute CD-R that writes unpaced into <folder>/images; stops it on exit.
start_with_blank_cd() { # <build dir> <folder> [drive name]
  cat > "$2/recorder.ini" <<INI
[Engine]
PreferredDrive=R

[Drive R]
Name=${3:-Virtual CD-R Recorder}
Media=CD-R
Capacity=80
Content=blank
Images=images
ImageName=disc
Paced=0
INI
  trap wine_env_stop EXIT
  wine_env_start "$1"
  register_engine "$1"
  use_drive_file "$2/recorder.ini"
}

# Configures the win64 tree when it has never been configured, then builds the targets.
build_win64() { # <target...>
  if [ ! -f "$FENNEL_BUILD/win64/build.ninja" ]; then
    configure_tree win64 -DCMAKE_TOOLCHAIN_FILE="$FENNEL_ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake"
  fi
  build_tree win64 "$@"
}
