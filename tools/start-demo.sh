#!/usr/bin/env bash
# Installs what is missing, builds the program and the instrument simulator, and starts both:
# the simulator plays the instrument on pseudo-terminals whose links live in ./run, and the
# program, started from ./run, uses those links as its serial ports. Closing the program stops
# the simulator.
#
# Options:
#   --port2           a second (FPD) converter: the program runs as FIDFPD
#   --flow-sensor     the instrument reports a flow sensor
#   --scenario FILE   the simulator's physics (see README, "Simulator")
#   --for SECONDS     stop the demo after SECONDS (for unattended checks)
#   --fresh           rewrite ./run/Zelvo730.ini even if it exists
#
# Everything the demo writes stays in ./run (ignored by git): the program's copy, its settings
# file and substance lists, the simulator's log (sim.log) and truth file (truth.jsonl). No
# settings file outside ./run is read or written.
#
# While the demo runs, ./run/sim.cmd is a named pipe into the simulator's standard input:
#   echo qs > run/sim.cmd          the instrument asks for a run to start
#   echo "stall 10" > run/sim.cmd  (and the other simulator commands, see README)
#
# Under sudo only the package installation runs as root; the build, the simulator and the
# program run as the user who called sudo.
set -euo pipefail

port2=0 flow=0 scenario="" duration="" fresh=0
args=()  # the options again, for the run as the calling user
while [ $# -gt 0 ]; do
  case "$1" in
    --port2) port2=1; args+=("$1") ;;
    --flow-sensor) flow=1; args+=("$1") ;;
    --scenario)
      [ $# -ge 2 ] || { echo "start-demo.sh: --scenario needs a file" >&2; exit 2; }
      scenario=$(realpath "$2"); args+=("$1" "$scenario"); shift ;;
    --for)
      [ $# -ge 2 ] || { echo "start-demo.sh: --for needs seconds" >&2; exit 2; }
      duration=$2; args+=("$1" "$2"); shift ;;
    --fresh) fresh=1; args+=("$1") ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "start-demo.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/install-deps.sh
build=${ZELVO_BUILD_DIR:-build}  # another build folder, e.g. for a developer's own build
source tools/as-user.sh
reexec_as_calling_user "$root" "$build" run -- bash "$root/tools/start-demo.sh" "${args[@]}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
find "$build" -path '*_autogen/timestamp' -delete  # let moc see files added since the last build
ninja -C "$build" -j "$(nproc)" Zelvo730 zelvo730-sim
build=$(realpath "$build")

# Under sudo with a clone that is not the calling user's (so the build above ran as root), the
# simulator and the program still run as that user: the simulator's ptys belong to whoever
# creates them, the program must be able to open them, and a desktop session accepts windows
# from its own user.
run_user=""
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  run_user=$SUDO_USER
fi
# Replaces the calling (background) shell by the command, so that $! is the command itself.
exec_as_user() {
  if [ -z "$run_user" ]; then
    exec "$@"
  fi
  local uid home
  uid=$(id -u "$run_user")
  home=$(getent passwd "$run_user" | cut -d: -f6)
  local runtime=/run/user/$uid
  [ -d "$runtime" ] || runtime=${XDG_RUNTIME_DIR:-}
  HOME=$home USER=$run_user LOGNAME=$run_user XDG_RUNTIME_DIR=$runtime \
    exec setpriv --reuid="$run_user" --regid="$(id -g "$run_user")" --init-groups -- "$@"
}

run="$root/run"
mkdir -p "$run"
# The program reads Zelvo730.ini and its substance lists from the folder of its executable,
# so it runs from its own copy in ./run (a symbolic link would resolve to the build folder).
rm -f "$run/Zelvo730"
cp "$build/src/app/Zelvo730" "$run/Zelvo730"

link1="$run/ttyZelvo1"
link2="$run/ttyZelvo2"
typ=FID
[ "$port2" -eq 1 ] && typ=FIDFPD

# Files of the program: Windows-1252 text with CR LF line ends (these are plain ASCII).
crlf() { sed 's/$/\r/'; }
if [ ! -f "$run/CH-Substanzen.txt" ]; then
  printf '%s\n' "Isobutan=1.00" "Aceton=2.05" "Toluol=0.95" "Ethanol=2.40" | crlf >"$run/CH-Substanzen.txt"
fi
if [ ! -f "$run/S-Substanzen.txt" ]; then
  printf '%s\n' "THT=1.00" "Schwefelwasserstoff=1.30" | crlf >"$run/S-Substanzen.txt"
fi

ini="$run/Zelvo730.ini"
if [ "$fresh" -eq 1 ] || [ ! -f "$ini" ]; then
  # English, calibrated for the simulator's defaults (its 100 ppm reference gas, evaluated by
  # the program with these settings, gives an area of about 196100, not the 200000 it injects), six
  # positions per cycle of about 32 s each, peaks 8 s after the injection, so that cell 1
  # breaks through about eight minutes after the run start. SampleArea(cm²) keeps its default
  # of 19.6, the simulator's sample area.
  cat <<EOF | crlf >"$ini"
[Language]
Code=US
[DeviceTyp]
Typ=$typ
[Communication]
ComPortA=$link1
ComPortB=$link2
[Debug]
SetDebug=0
[Detection]
MinIndex=10
PeakIndex=80
Loopvolume=200
Loopflow=10000
[Calibration]
FID/ppm=100
FPD/ppm=10
FIDCalArea=196100
FPDCalArea=50000
CalFlow=100
[Preferences]
TempValves=60
TempMeasurementCell=23
TempEmissionCell=150
TempTransferline=150
HighVoltage=700
ZeroCompensation=0
Standard=EN374
Startdelay=00:10
H2Set=600
AirSet=700
CarrierSet=1000
FPD_Air=500
FPD_H2=600
[Info]
SampleInfo1=Glove A
SampleInfo2=Glove B
SampleInfo3=Glove C
[Measurement]
StartingCell=1
NumberOfCells=6
MeasurementTimePerCell/s=20
MeasurementSampleTime/s=5
MeasurementInjectionTime/s=5
NumberOfCycles=20
LimitFID=1
LimitFPD=0.1
SampleFlow1=100
FIDCalFactor=1
FIDCalFactorName=Isobutan
FIDSampleFactor1=1
FIDSampleFactorName1=Isobutan
SampleFlow2=100
FIDSampleFactor2=1
FIDSampleFactorName2=Isobutan
SampleFlow3=100
FIDSampleFactor3=1
FIDSampleFactorName3=Isobutan
FPDCalFactor=1
FPDCalFactorName=THT
FPDSampleFactor1=1
FPDSampleFactorName1=THT
FPDSampleFactor2=1
FPDSampleFactorName2=THT
FPDSampleFactor3=1
FPDSampleFactorName3=THT
Scale=35000
ScaleMin=0
InitialDir=$run/
DataDir=$run/
RawDataSave=0
EOF
else
  # Keep the user's demo settings (calibrations, limits), but point them at this demo's links.
  sed -i -E "s|^ComPortA=.*|ComPortA=$link1\r|I; s|^ComPortB=.*|ComPortB=$link2\r|I; s|^Typ=.*|Typ=$typ\r|I" "$ini"
fi
# The simulator's standard input: a named pipe that the simulator opens for reading and
# writing, so that it never reads end of file when one `echo` into it has finished.
cmd_pipe="$run/sim.cmd"
rm -f "$cmd_pipe"
mkfifo -m 600 "$cmd_pipe"
if [ -n "$run_user" ]; then chown -R "$run_user:" "$run"; fi

sim_args=(--port1 "$link1" --log "$run/sim.log" --truth "$run/truth.jsonl")
[ "$port2" -eq 1 ] && sim_args+=(--port2 "$link2")
[ "$flow" -eq 1 ] && sim_args+=(--flow-sensor)
[ -n "$scenario" ] && sim_args+=(--scenario "$scenario")

sim_pid="" prog_pid="" timer_pid=""
cleanup() {
  trap - EXIT INT TERM
  [ -n "$timer_pid" ] && kill "$timer_pid" 2>/dev/null || true
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null || true
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$cmd_pipe"
}
trap cleanup EXIT
trap 'cleanup; exit 130' INT TERM

exec_as_user "$build/tools/zelvo730-sim" "${sim_args[@]}" <>"$cmd_pipe" &
sim_pid=$!
for _ in $(seq 100); do
  [ -e "$link1" ] && { [ "$port2" -eq 0 ] || [ -e "$link2" ]; } && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "start-demo.sh: the simulator did not start" >&2; exit 1; }
  sleep 0.05
done
echo "Simulator running on $link1$([ "$port2" -eq 1 ] && echo " and $link2"); log $run/sim.log, truth $run/truth.jsonl"
echo "Simulator commands: echo qs > $cmd_pipe (see README, \"Simulator\")"

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "start-demo.sh: no display found; for a headless run set QT_QPA_PLATFORM=offscreen" >&2
fi

# The settings file's numbers use "." whatever the desktop's regional settings are.
cd "$run"
exec_as_user env LC_ALL=C.UTF-8 "$run/Zelvo730" &
prog_pid=$!
if [ -n "$duration" ]; then
  (sleep "$duration" && kill "$prog_pid" 2>/dev/null) &
  timer_pid=$!
fi
status=0
wait "$prog_pid" || status=$?
prog_pid=""
# Stopped by --for: a normal end of the demo.
[ -n "$duration" ] && [ "$status" -eq 143 ] && status=0
exit "$status"
