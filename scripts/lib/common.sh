# Shared by scripts/run, scripts/test and scripts/bench: packages, build, the test rig.
# shellcheck shell=bash

TINEVOX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libpulse-dev libsoxr-dev
                libx11-dev libxext-dev fonts-liberation fonts-terminus-otb)
# procps: pgrep/pkill. weston, qt6-wayland: a Wayland session for the programs to ignore.
# pipewire, pipewire-pulse, wireplumber, dbus-daemon: a private PipeWire server to play on.
# desktop-file-utils, lintian, appstream: check the installed desktop entry, the .deb and
# its metainfo. dpkg-dev, file: CPack's dpkg-shlibdeps, for the package's dependencies.
# at-spi2-core, python3-pyatspi: the accessibility tree as a screen reader reads it; orca:
# what a screen reader speaks. locales: the German locale the tests type numbers in
# (ensure_test_locale).
TEST_PACKAGES=(xvfb openbox pulseaudio pulseaudio-utils xdotool x11-utils wmctrl procps desktop-file-utils clang
               libclang-rt-14-dev qt6-wayland weston pipewire pipewire-pulse wireplumber dbus-daemon
               lintian appstream dpkg-dev file at-spi2-core python3-pyatspi orca locales)

say() { printf 'tinevox: %s\n' "$*" >&2; }

# Installs whichever of the named Debian packages are missing. As root with apt-get;
# otherwise it says which command to run and stops.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        say "these Debian packages are missing: ${missing[*]}"
        say "install them with:  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# A German locale, whose decimal point is the comma, for the tests that type numbers as
# its users do. Generated where it is missing, as root; otherwise it says how.
TEST_LOCALE=de_DE.UTF-8
ensure_test_locale() {
    locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' && return 0
    if [ "$(id -u)" -ne 0 ]; then
        say "the locale $TEST_LOCALE is missing"
        say "generate it with:  echo '$TEST_LOCALE UTF-8' | sudo tee -a /etc/locale.gen && sudo locale-gen --keep-existing"
        return 1
    fi
    say "generating the locale $TEST_LOCALE"
    grep -qx "$TEST_LOCALE UTF-8" /etc/locale.gen 2>/dev/null || echo "$TEST_LOCALE UTF-8" >>/etc/locale.gen
    locale-gen --keep-existing >/dev/null
}

# build <dir> <build type> [cmake options...]
build() {
    local dir=$1 type=$2
    shift 2
    cmake -G Ninja -S "$TINEVOX_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

# The rig: a private X server, window manager and sound server with a null sink as the
# default, so that nothing touches the user's display or sound.
RIG_PIDS=()
start_rig() {
    RIG_DIR=$(mktemp -d /tmp/tinevox-rig.XXXXXX)
    mkdir -p "$RIG_DIR/runtime"
    chmod 700 "$RIG_DIR/runtime"

    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$RIG_DIR/xvfb.log" 2>&1 &
    RIG_PIDS+=($!)
    export DISPLAY=":$n"
    local i
    for i in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    [ -e "/tmp/.X11-unix/X$n" ] || { say "the X server did not start"; cat "$RIG_DIR/xvfb.log" >&2; return 1; }

    openbox --sm-disable >"$RIG_DIR/openbox.log" 2>&1 &
    RIG_PIDS+=($!)

    export XDG_RUNTIME_DIR="$RIG_DIR/runtime"
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
    export TINEVOX_TEST_MONITOR=tvnull.monitor
    pulseaudio --daemonize=no --exit-idle-time=-1 -n \
        --load="module-null-sink sink_name=tvnull rate=48000" \
        --load=module-native-protocol-unix >"$RIG_DIR/pulse.log" 2>&1 &
    RIG_PIDS+=($!)
    RIG_SOUND_SERVER_PID=$!
    for i in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
    pactl info >/dev/null 2>&1 || { say "the sound server did not start"; cat "$RIG_DIR/pulse.log" >&2; return 1; }
    pactl set-default-sink tvnull
    # A null sink that nobody records renders up to 2 s ahead, and a recording started
    # then hears nothing new, neither a tone nor its end, until the sink's clock has
    # caught up. A listener asking for a short latency keeps it rendering in small steps,
    # as a sound card plays, between the tests as the tests' own recorders do within them.
    parec -d tvnull.monitor --latency-msec=20 --raw >/dev/null 2>&1 &
    RIG_PIDS+=($!)
    say "rig up: DISPLAY=$DISPLAY PULSE_SERVER=$PULSE_SERVER"
}

stop_rig() {
    local pid
    for pid in "${RIG_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${RIG_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    RIG_PIDS=()
    # Programs under test that outlived their test (they should not) end with the rig.
    pkill -f "$TINEVOX_ROOT/build/.*/echolet.dll" 2>/dev/null || true
    [ -n "${RIG_DIR:-}" ] && rm -rf "$RIG_DIR"
}
