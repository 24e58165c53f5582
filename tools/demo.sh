#!/usr/bin/env bash
# tools/demo.sh BUILD_DIR [DEVICE]
# Starts the emulated MSP-FET430UIF on a pseudo-terminal, registered in a
# temporary emulated-adapters directory, and runs two programs against it
# through the debug library "MSP430-TI.DLL" beside the programs, then a
# host program against the programming library:
#  1. quill-demo programs and verifies a small image (the core's target layer);
#  2. quillbay, the operator's program, from a temporary directory whose
#     "config.ini" selects USB, that adapter and the device quill-demo
#     programmed. With a display (DISPLAY or
#     WAYLAND_DISPLAY) its window opens and the demo goes on when the
#     operator closes it. Without one, or with QUILL_DEMO_OFFSCREEN=1 (as
#     under CTest), it runs offscreen: once quillbay holds the adapter's
#     terminal open it gets SIGTERM, and it must end with status 0 having
#     rewritten "config.ini" and written a screenshot of its main window
#     (BUILD_DIR/screenshots/demo-main-window.png).
#  3. quillcore_host, the C host program linked with libquillcore.so, on an
#     emulated adapter of its own on COM7 (tools/api-host.sh): the direct
#     operations, then AUTO PROGRAM of a 60 KiB image run directly and in
#     the progress dialog, and the flash read back.
# Stops the emulator and exits 0 only when all three passed.
set -euo pipefail

build=${1:?usage: tools/demo.sh BUILD_DIR [DEVICE]}
device=${2:-149}
bin=$(cd "$build/bin" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
for program in quill-emu-fet quill-demo quillbay MSP430-TI.DLL quillcore_host libquillcore.so.2; do
    if [ ! -e "$bin/$program" ]; then
        echo "demo: $bin/$program is missing; build first" >&2
        exit 2
    fi
done

adapters=$(mktemp -d "${TMPDIR:-/tmp}/quill-adapters.XXXXXX")
work=$(mktemp -d "${TMPDIR:-/tmp}/quillbay-demo.XXXXXX")
export QUILL_EMULATED_ADAPTERS=$adapters
emu_pid=
quillbay_pid=

cleanup() {
    if [ -n "$quillbay_pid" ] && kill -0 "$quillbay_pid" 2>/dev/null; then
        kill -KILL "$quillbay_pid" 2>/dev/null || true
        wait "$quillbay_pid" 2>/dev/null || true
    fi
    if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
        kill "$emu_pid" 2>/dev/null || true
        wait "$emu_pid" 2>/dev/null || true
    fi
    rm -rf "$adapters" "$work"
}
trap cleanup EXIT

# The emulator prints the COM name it registered, then answers until the
# line "stop" arrives on its input.
coproc EMU { exec "$bin/quill-emu-fet" --dir "$adapters" --device "$device"; }
emu_pid=$EMU_PID
exec {emu_out}<&"${EMU[0]}" {emu_in}>&"${EMU[1]}"
port=
read -r -t 10 port <&"$emu_out" || true
if [[ ! $port =~ ^COM[0-9]+$ ]]; then
    echo "demo: the emulated adapter did not start" >&2
    exit 1
fi
echo "== emulated MSP-FET430UIF on $port (device $device)"

status=0
demo_log="$work/quill-demo.log"
"$bin/quill-demo" --device "$device" --port "$port" | tee "$demo_log" || status=$?
# The operator's program starts with the same device selected.
row=$(sed -n 's/^Device .* (device-list row \([0-9][0-9]*\)).*/\1/p' "$demo_log" | head -n 1)
if [ "$status" -eq 0 ]; then
    echo "== quill-demo passed"
else
    echo "== quill-demo FAILED (status $status)"
fi

# True while process $1 has the adapter's pseudo-terminal open.
holds_adapter() {
    local node fd
    node=$(readlink -f "$adapters/$port")
    for fd in /proc/"$1"/fd/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$node" ] && return 0
    done
    return 1
}

# The operator's program against the same adapter.
config="$work/config.ini"
printf ';============= MSP430Fxx setup =============\r\nCommPortIndex 3\r\nSelected_UIF\t\t%s\r\n' \
    "$port" >"$config"
if [ -n "$row" ]; then
    printf 'SelectedProcessorIndex\t%s\r\n' "$row" >>"$config"
fi
before=$(cksum <"$config")
quillbay_status=0
if [ "${QUILL_DEMO_OFFSCREEN:-0}" != 1 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== quillbay: close its window to end the demo"
    (cd "$work" && exec "$bin/quillbay") || quillbay_status=$?
else
    shots=$(cd "$build" && pwd)/screenshots
    mkdir -p "$shots"
    shot="$shots/demo-main-window.png"
    rm -f "$shot"
    echo "== quillbay offscreen"
    (cd "$work" && QT_QPA_PLATFORM=offscreen QUILLBAY_SCREENSHOT="$shot" exec "$bin/quillbay") &
    quillbay_pid=$!
    held=0
    for _ in $(seq 100); do
        if holds_adapter "$quillbay_pid"; then
            held=1
            break
        fi
        kill -0 "$quillbay_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ "$held" -ne 1 ]; then
        echo "demo: quillbay did not open the adapter within 10 s" >&2
        quillbay_status=1
    else
        echo "== quillbay holds $port; closing it with SIGTERM"
        kill -TERM "$quillbay_pid"
        for _ in $(seq 100); do
            kill -0 "$quillbay_pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$quillbay_pid" 2>/dev/null; then
            echo "demo: quillbay did not end within 10 s of SIGTERM" >&2
            kill -KILL "$quillbay_pid" 2>/dev/null || true
        fi
        wait "$quillbay_pid" || quillbay_status=$?
        quillbay_pid=
        if [ ! -s "$shot" ]; then
            echo "demo: quillbay wrote no screenshot" >&2
            quillbay_status=1
        else
            echo "== screenshot: $shot"
        fi
    fi
fi
if [ "$quillbay_status" -eq 0 ] && [ "$(cksum <"$config")" = "$before" ]; then
    echo "demo: quillbay did not rewrite config.ini" >&2
    quillbay_status=1
fi
if [ "$quillbay_status" -eq 0 ]; then
    echo "== quillbay passed (config.ini rewritten)"
else
    echo "== quillbay FAILED (status $quillbay_status)"
    [ "$status" -ne 0 ] || status=$quillbay_status
fi

echo stop >&"$emu_in"
wait "$emu_pid" 2>/dev/null || true
emu_pid=

echo "== quillcore_host: the programming library from a C host program"
host_status=0
"$src/tools/api-host.sh" "$build" || host_status=$?
if [ "$host_status" -eq 0 ]; then
    echo "== quillcore_host passed"
else
    echo "== quillcore_host FAILED (status $host_status)"
    [ "$status" -ne 0 ] || status=$host_status
fi

if [ "$status" -eq 0 ]; then
    echo "== demo passed"
else
    echo "== demo FAILED (status $status)"
fi
exit "$status"
