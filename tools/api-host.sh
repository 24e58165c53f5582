#!/usr/bin/env bash
# tools/api-host.sh BUILD_DIR
# Runs the C host program against libquillcore.so and the emulated adapter
# on COM7: once as built, once built anew from an installed prefix with
# pkg-config, the way a customer builds against the library; then the host
# that loads and unloads the library with dlopen, its progress dialog on
# the offscreen platform. The host programs run from a folder of their own
# with a "config.ini" beside them. The library writes nothing to a host's
# stderr: any output there fails the run.
set -euo pipefail

build=${1:?usage: tools/api-host.sh BUILD_DIR}
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
bin=$build/bin
for program in quill-emu-fet quillcore_host quillcore_reload quillcore_locale libquillcore.so.2; do
    if [ ! -e "$bin/$program" ]; then
        echo "api-host: $bin/$program is missing; build first" >&2
        exit 2
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quill-api-host.XXXXXX")
export QUILL_EMULATED_ADAPTERS=$work/adapters
mkdir -p "$QUILL_EMULATED_ADAPTERS"
emu_pid=

cleanup() {
    if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
        kill "$emu_pid" 2>/dev/null || true
        wait "$emu_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

coproc EMU { exec "$bin/quill-emu-fet" --dir "$QUILL_EMULATED_ADAPTERS" --port COM7; }
emu_pid=$EMU_PID
exec {emu_out}<&"${EMU[0]}" {emu_in}>&"${EMU[1]}"
port=
read -r -t 10 port <&"$emu_out" || true
if [ "$port" != COM7 ]; then
    echo "api-host: the emulated adapter did not start on COM7" >&2
    exit 1
fi
echo "== emulated MSP-FET430UIF on $port"

# A host program's folder: the program and its "config.ini".
host_dir() {
    mkdir -p "$1"
    printf ';  settings of the host bench\r\nVccIndex 5\r\n' > "$1/config.ini"
}

# The progress dialog runs headless: no window for a host without a display.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

status=0
# Runs a host program; its stderr must stay empty.
run_host() {
    local name=$1
    shift
    local err=$work/$name.stderr
    "$@" 2>"$err" || status=1
    if [ -s "$err" ]; then
        echo "api-host: $name wrote to its stderr:"
        cat "$err"
        status=1
    fi
}

host_dir "$work/built"
cp "$bin/quillcore_host" "$work/built/"
echo "== host program as built"
run_host built "$work/built/quillcore_host"

echo "== host program built from an installed prefix with pkg-config"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
pcdir=$(dirname "$(find "$prefix" -name quillcore.pc | head -n 1)")
export PKG_CONFIG_PATH=$pcdir
host_dir "$work/installed"
# A sanitizer build's library needs its runtime linked into the program.
sanitize=()
if readelf -d "$bin/libquillcore.so.2" | grep -q 'libasan'; then
    sanitize=(-fsanitize=address,undefined)
fi
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -pedantic -Werror "${sanitize[@]}" $(pkg-config --cflags quillcore) \
    "$src/tests/api/quillcore_host.c" -o "$work/installed/quillcore_host" \
    $(pkg-config --libs quillcore)
run_host installed env LD_LIBRARY_PATH="$(pkg-config --variable=libdir quillcore)" \
    "$work/installed/quillcore_host"

echo "== host program that loads and unloads the library, dialog offscreen"
host_dir "$work/reload"
cp "$bin/quillcore_reload" "$work/reload/"
# In a sanitizer build the leak checker's own thread scan breaks down on
# the Qt pool threads of a library loaded by dlopen; memory errors are still
# caught, and the other host programs check for leaks.
reload_asan=${ASAN_OPTIONS:-}
if [ "${#sanitize[@]}" -gt 0 ]; then
    reload_asan=${reload_asan:+$reload_asan:}detect_leaks=0
fi
# No runtime directory: Qt complains about that, to the library, not the host.
run_host reload env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="$reload_asan" \
    "$work/reload/quillcore_reload" "$bin/libquillcore.so.2"

echo "== host programs whose locale the library leaves alone, dialog offscreen"
# A German locale, built here: its decimal mark is a comma. Without it the
# check cannot be made, and that fails the run.
locales=$work/locales
mkdir -p "$locales"
localedef_status=0
localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" >"$work/localedef.log" 2>&1 ||
    localedef_status=$?
if [ "$localedef_status" -gt 1 ] || [ ! -d "$locales/de_DE.UTF-8" ]; then # 1: warnings only
    echo "api-host: localedef could not build de_DE.UTF-8 (package locales):"
    cat "$work/localedef.log"
    status=1
else
    host_dir "$work/locale"
    cp "$bin/quillcore_locale" "$work/locale/"
    # The host's environment names the locale; only the host may take it.
    in_locale() {
        env -u LC_ALL -u LC_NUMERIC -u LC_CTYPE -u LANGUAGE -u XDG_RUNTIME_DIR \
            QT_QPA_PLATFORM=offscreen "$@"
    }
    run_host locale-c in_locale LANG=de_DE.UTF-8 LOCPATH="$locales" \
        "$work/locale/quillcore_locale" comma
    run_host locale-numeric in_locale LANG=de_DE.UTF-8 LOCPATH="$locales" \
        "$work/locale/quillcore_locale" numeric comma
    run_host locale-c-utf8 in_locale LANG=C.UTF-8 "$work/locale/quillcore_locale"
fi

echo stop >&"$emu_in"
wait "$emu_pid" 2>/dev/null || true
emu_pid=
exit "$status"
