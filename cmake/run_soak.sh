#!/usr/bin/env bash
# Runs the soak under Wine: a real session (its renderer and watches) and, beside it in a
# process of its own, the settings dialog with its banner, both sampled every few seconds.
# Writes soak.csv, soak.png and the two programs' reports into OUT_DIR; fails when a count
# grew steadily or a run went wrong.
# Usage: run_soak.sh BIN_DIR OUT_DIR SECONDS [INTERVAL]
set -u
bin=$1 out=$2 seconds=$3 interval=${4:-2}
here=$(cd "$(dirname "$0")" && pwd)
: "${MIROKAN_WINEPREFIX:=$(cd "$bin/.." && pwd)/wineprefix}"
. "$here/wine_env.sh"

# A Japanese folder, as many users' are: the renderer starts from it.
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
run="$out/ソーク"
mkdir -p "$run"
for program in soak.exe Mirokan.data; do
  cp "$bin/$program" "$run/" || { echo "FAIL: $bin/$program is missing (build the Windows tree)"; exit 1; }
done

trap mirokan_wine_down EXIT
mirokan_wine_up || exit 1
wineserver -k >/dev/null 2>&1 || true

cd "$run"
status=0
# A hung program must not hang the run: each has the run's length and a minute more.
limit=$((${seconds%.*} + 60))
timeout $limit wine ./soak.exe session "$seconds" "$interval" session.csv >"$out/session.log" 2>"$out/wine-stderr.log" &
session=$!
timeout $limit wine ./soak.exe dialog "$seconds" "$interval" dialog.csv >"$out/dialog.log" 2>>"$out/wine-stderr.log" &
dialog=$!
wait $session || status=1
wait $dialog || status=1

{
  echo "seconds,process,working_set_kib,commit_kib,handles,gdi_objects"
  # One block a process, so the plot draws each as one line.
  cat session.csv dialog.csv 2>/dev/null | sort -s -t, -k2,2
} >"$out/soak.csv"
tr -d '\r' <"$out/session.log"
tr -d '\r' <"$out/dialog.log"

if command -v gnuplot >/dev/null; then
  gnuplot <<PLOT || { echo "FAIL: the plot could not be drawn"; status=1; }
set terminal pngcairo size 1400,900 font "Liberation Sans,10"
set output "$out/soak.png"
set datafile separator ","
set key bottom right
set offsets graph 0, graph 0, graph 0.1, graph 0.1
set style data linespoints
set pointsize 0.4
set xlabel "seconds"
set multiplot layout 2,2 title "Soak: ${seconds} s, a sample every ${interval} s"
names = "session renderer dialog"
pick(p, c) = (strcol(2) eq p ? column(c) : NaN)
set title "Working set (MiB)"
plot for [i = 1:3] "$out/soak.csv" skip 1 using 1:(pick(word(names, i), 3) / 1024) pt 7 lc i title word(names, i)
set title "Commit charge (MiB)"
plot for [i = 1:3] "$out/soak.csv" skip 1 using 1:(pick(word(names, i), 4) / 1024) pt 7 lc i title word(names, i)
set title "Handles"
plot for [i = 1:3] "$out/soak.csv" skip 1 using 1:(pick(word(names, i), 5)) pt 7 lc i title word(names, i)
set title "Live GDI objects (own counter)"
plot for [i = 1:3:2] "$out/soak.csv" skip 1 using 1:(pick(word(names, i), 6)) pt 7 lc i title word(names, i)
unset multiplot
PLOT
else
  echo "FAIL: gnuplot is missing (scripts/lib/setup.sh installs gnuplot-nox)"
  status=1
fi
echo "soak: $out/soak.csv, $out/soak.png"
[ $status -eq 0 ] && echo "soak: no count grew" || echo "soak: FAILED"
exit $status
