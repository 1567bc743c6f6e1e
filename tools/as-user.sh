# shellcheck shell=bash
# Sourced by the scripts in tools/ that may be started with sudo. Packages need root; nothing
# else does, and a build made as root leaves folders in the user's clone that the user can no
# longer write. So under sudo a script installs what is missing as root and then runs on as the
# user who called sudo:
#
#   bash tools/install-deps.sh
#   reexec_as_calling_user "$root" build build-asan -- "$root/tools/this-script.sh" "$@"
#
# Under plain root (a CI container, no SUDO_USER) and for a normal user nothing changes.

# The user who called sudo, when the script runs as root under sudo and that user owns the
# clone `$1` (else empty: a clone that only root may write stays root's business).
calling_user() {
  local clone=$1
  [ "$(id -u)" -eq 0 ] || return 0
  [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ] || return 0
  id -u "$SUDO_USER" >/dev/null 2>&1 || return 0
  [ "$(stat -c %U "$clone")" = "$SUDO_USER" ] || return 0
  echo "$SUDO_USER"
}

# reexec_as_calling_user CLONE FOLDER... -- COMMAND...
# Under sudo: hands the folders (relative to CLONE; ones outside it are left alone) back to the
# calling user where an earlier run as root left files of root's in them, then replaces the
# shell by COMMAND running as that user, with the user's HOME and runtime folder. Otherwise it
# returns and the script goes on as it is.
reexec_as_calling_user() {
  local clone=$1; shift
  local user
  user=$(calling_user "$clone")
  local folders=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do folders+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  [ -n "$user" ] || return 0

  local group uid home dir real
  group=$(id -g "$user")
  uid=$(id -u "$user")
  home=$(getent passwd "$user" | cut -d: -f6)
  for dir in "${folders[@]}"; do
    case "$dir" in /*) ;; *) dir="$clone/$dir" ;; esac
    [ -e "$dir" ] || continue
    real=$(realpath "$dir")
    case "$real/" in "$(realpath "$clone")"/*) ;; *) continue ;; esac
    if [ -n "$(find "$real" ! -user "$user" -print -quit 2>/dev/null)" ]; then
      echo "Giving $real back to $user (an earlier run as root left files there)"
      chown -R "$user:$group" "$real"
    fi
  done

  local runtime=/run/user/$uid
  local envs=(HOME="$home" USER="$user" LOGNAME="$user")
  if [ -d "$runtime" ]; then envs+=(XDG_RUNTIME_DIR="$runtime"); fi
  exec env -u XDG_RUNTIME_DIR -u SUDO_USER -u SUDO_UID -u SUDO_GID -u SUDO_COMMAND "${envs[@]}" \
    setpriv --reuid="$uid" --regid="$group" --init-groups -- "$@"
}
