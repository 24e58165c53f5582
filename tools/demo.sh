#!/usr/bin/env bash
# tools/demo.sh BUILD_DIR [DEVICE]
# Starts the emulated MSP-FET430UIF on a pseudo-terminal, registered in a
# temporary emulated-adapters directory, runs quill-demo against it (the
# core's target layer through the debug library "MSP430-TI.DLL" beside the
# programs), stops the emulator and exits with the demo's status.
set -euo pipefail

build=${1:?usage: tools/demo.sh BUILD_DIR [DEVICE]}
device=${2:-149}
bin=$(cd "$build/bin" && pwd)
for program in quill-emu-fet quill-demo MSP430-TI.DLL; do
    if [ ! -e "$bin/$program" ]; then
        echo "demo: $bin/$program is missing; build first" >&2
        exit 2
    fi
done

adapters=$(mktemp -d "${TMPDIR:-/tmp}/quill-adapters.XXXXXX")
export QUILL_EMULATED_ADAPTERS=$adapters
emu_pid=

cleanup() {
    if [ -n "$emu_pid" ] && kill -0 "$emu_pid" 2>/dev/null; then
        kill "$emu_pid" 2>/dev/null || true
        wait "$emu_pid" 2>/dev/null || true
    fi
    rm -rf "$adapters"
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
"$bin/quill-demo" --device "$device" --port "$port" || status=$?

echo stop >&"$emu_in"
wait "$emu_pid" 2>/dev/null || true
emu_pid=
if [ "$status" -eq 0 ]; then
    echo "== demo passed"
else
    echo "== demo FAILED (status $status)"
fi
exit "$status"
