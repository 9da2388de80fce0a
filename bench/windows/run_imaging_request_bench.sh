#!/usr/bin/env bash
# Times the Windows program's images request (one command-line bridge, DentalEye) under Wine against the bare
# Win32 program doing the same reads and the same ShellExecuteW, runs interleaved, and prints the medians of the
# time to exit and of the time until the imaging program was started, and their ratios. Figures only.
# Usage: run_imaging_request_bench.sh PROGRAM.exe BARE_IMAGING_REQUEST.exe IMAGING_PROGRAM_STAMP.exe [ITERATIONS]
# The Wine prefix and the files live in bench-windows-work inside the build folder of BARE_IMAGING_REQUEST.exe.
set -euo pipefail
if [ $# -lt 3 ]; then
    echo "usage: run_imaging_request_bench.sh PROGRAM.exe BARE_IMAGING_REQUEST.exe IMAGING_PROGRAM_STAMP.exe [ITERATIONS]" >&2
    exit 2
fi
program="$(realpath "$1")"
bare="$(realpath "$2")"
stamp_program="$(realpath "$3")"
iterations="${4:-30}"
[ "$iterations" -ge 1 ] 2>/dev/null || { echo "ITERATIONS must be a positive number" >&2; exit 2; }
here="$(cd "$(dirname "$0")/../.." && pwd)"

wine="$(command -v wine64 || true)"
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "run_imaging_request_bench.sh: wine64 is not installed" >&2; exit 127; }

# The build folder: the nearest folder upwards holding CMakeCache.txt.
build="$(dirname "$bare")"
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build="$(dirname "$build")"; done
[ "$build" != / ] || build="$(dirname "$bare")"
work="$build/bench-windows-work"
run="$work/run"
rm -rf "$run"
mkdir -p "$run/DentalEye"

export WINEPREFIX="$work/wine-prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d"
# No desktop: an images request shows nothing, and both programs then start alike.
unset DISPLAY WAYLAND_DISPLAY
"$here/scripts/wine-run.sh" --make-prefix </dev/null

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# The imaging program: notes when it was started, and nothing else.
cp "$stamp_program" "$run/DentalEye/cmdlink.exe"
stamp="$run/started"
export VELTRANE_BENCH_STAMP
VELTRANE_BENCH_STAMP="$(winpath "$stamp")"
folder="$(winpath "$run/DentalEye")\\"
{
    printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n'
    printf '"dentaleye_enabled"="True"\r\n"dentaleye_program"="%s"\r\n' "${folder//\\/\\\\}"
} >"$run/settings.reg"
"$wine" regedit /s "$(winpath "$run/settings.reg")" </dev/null >"$run/regedit.log" 2>&1
request="$run/request.ini"
printf '[settings]\r\naction=images\r\npatient_id=1042\r\nforenames=Anna\r\nsurname=Berg\r\ndob=19800102\r\ngender=F\r\n' \
    >"$request"

time_tool=""
[ -x /usr/bin/time ] && time_tool=/usr/bin/time

# once NAME EXE ARGS...: one run to the program's exit (not its pipes', which Wine's helpers hold for seconds),
# then the wait for the imaging program. Appends "exit_ms started_ms peak_rss_kib" to $run/NAME.
once() {
    local name="$1" start end started rss=0 status=0
    shift
    rm -f "$stamp"
    start=$EPOCHREALTIME
    if [ -n "$time_tool" ]; then
        "$time_tool" -f %M -o "$run/rss" "$wine" "$@" </dev/null >"$run/out" 2>"$run/err" || status=$?
    else
        "$wine" "$@" </dev/null >"$run/out" 2>"$run/err" || status=$?
    fi
    end=$EPOCHREALTIME
    if [ "$status" -ne 0 ]; then
        echo "$name exited with status $status: $(cat "$run/err")" >&2
        exit 1
    fi
    for _ in $(seq 200); do
        [ -s "$stamp" ] && break
        sleep 0.05
    done
    [ -s "$stamp" ] || { echo "$name did not start the imaging program: $(cat "$run/err")" >&2; exit 1; }
    started="$(tr -d '\r\n' <"$stamp")"
    [ -n "$time_tool" ] && rss="$(tail -n 1 "$run/rss")"
    awk -v s="${start/./}" -v e="${end/./}" -v t="$started" -v r="$rss" \
        'BEGIN { printf "%.3f %.3f %d\n", (e - s) / 1000, (t - s) / 1000, r }' >>"$run/$name"
}

request_args=(-x "$(winpath "$request")")
# A warm prefix: its services started and its files in the page cache, for both alike.
once warm "$program" "${request_args[@]}"
once warm "$bare" "$(winpath "$request")"
: >"$run/program"
: >"$run/bare"
for i in $(seq "$iterations"); do
    # Alternating who goes first, so drift and the other's after-effects weigh on both alike.
    if [ $((i % 2)) -eq 1 ]; then
        once program "$program" "${request_args[@]}"
        once bare "$bare" "$(winpath "$request")"
    else
        once bare "$bare" "$(winpath "$request")"
        once program "$program" "${request_args[@]}"
    fi
done

# median FILE COLUMN
median() { sort -n -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }
highest() { sort -n -k3,3 "$1" | tail -n 1 | awk '{ print $3 }'; }
p_exit=$(median "$run/program" 1) p_started=$(median "$run/program" 2) p_rss=$(highest "$run/program")
b_exit=$(median "$run/bare" 1) b_started=$(median "$run/bare" 2) b_rss=$(highest "$run/bare")
echo "images request under Wine, one command-line bridge (DentalEye), median of $iterations runs"
printf '  veltrane-client-tools.exe: %8.2f ms to exit  %8.2f ms to the imaging program  peak RSS %6d KiB\n' \
    "$p_exit" "$p_started" "$p_rss"
printf '  bare Win32 process:        %8.2f ms to exit  %8.2f ms to the imaging program  peak RSS %6d KiB\n' \
    "$b_exit" "$b_started" "$b_rss"
awk -v pe="$p_exit" -v be="$b_exit" -v ps="$p_started" -v bs="$b_started" -v pr="$p_rss" -v br="$b_rss" 'BEGIN {
    printf "  ratio:                     %8.2f x            %8.2f x", pe / be, ps / bs
    if (br > 0) printf "                         RSS %6.2f x", pr / br
    printf "\n"
}'
