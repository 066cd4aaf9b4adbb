# Shared by the build and test scripts; source it, do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export DEBIAN_FRONTEND=noninteractive

log() { printf '\n== %s\n' "$*" >&2; }

# Installs the Debian packages among the arguments that are not installed yet.
apt_updated=
need_packages() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    if [ -z "$apt_updated" ]; then
        apt-get update -qq
        apt_updated=1
    fi
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building the Linux program needs.
BUILD_PACKAGES=(build-essential cmake qt6-base-dev fonts-dejavu-core)

# Fails, with a line that says so, when the build folder $1 holds no test: a
# stage that would run nothing must not pass. (Each ctest call also passes
# --no-tests=error.)
require_tests() {
    local count
    count=$(ctest --test-dir "$1" -N | sed -n 's/^Total Tests: *//p')
    if [ "${count:-0}" -eq 0 ]; then
        echo "FAILED: no test is registered in $1, so this stage would run none" >&2
        return 1
    fi
    log "$count tests registered in $1"
}
