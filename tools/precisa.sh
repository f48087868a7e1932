# Sourced by the scripts in tools/: installs the Debian packages that are
# missing, and only those, so a second run installs nothing.
#   precisa PACKAGE...
precisa() {
    local faltam=() p
    for p in "$@"; do
        [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || faltam+=("$p")
    done
    [ ${#faltam[@]} -eq 0 ] && return 0
    echo "== installing: ${faltam[*]}"
    local sudo=
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "installing ${faltam[*]} needs root or sudo" >&2; return 1; }
        sudo=sudo
    fi
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq </dev/null
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${faltam[@]}" </dev/null
}

# What building and testing the program needs on Debian 12.
PACOTES_BASE=(cmake make g++ qt6-base-dev googletest libgtest-dev fonts-dejavu-core zlib1g-dev
              desktop-file-utils appstream libcli11-dev nlohmann-json3-dev
              librsvg2-bin)
# What building the Debian package and trying it in a fresh root needs.
PACOTES_DEB=(dpkg-dev file lintian debootstrap xvfb xdotool xclip imagemagick)
# tools/fuzz: clang and its libFuzzer and sanitizer runtimes.
PACOTES_FUZZ=(clang-14 libclang-rt-14-dev zlib1g-dev cmake make)

# A virtual X screen on a free display number, for what must show windows
# without one:
#   inicia_xvfb GEOMETRY LOG [XVFB_OPTION...]
# starts Xvfb with one screen of GEOMETRY (e.g. 1024x768x24), its output in
# LOG, waits until it takes connections, exports DISPLAY and leaves its
# process id in $xvfb (for the caller to end). Fails when it does not start.
inicia_xvfb() {
    local geometria=$1 registro=$2 numero
    shift 2
    numero=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$geometria" -nolisten tcp "$@" 3>"$numero" >"$registro" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$numero" ] && break; sleep 0.1; done
    if [ ! -s "$numero" ]; then rm -f "$numero"; return 1; fi
    export DISPLAY=:$(head -1 "$numero")
    rm -f "$numero"
}

# A part of a check that did not run here: said plainly, and noted in the
# file TAVORIN_FALTOU names (tools/test gives each stage one, and its table
# then reads INCOMPLETE with what was left out). A tool that left out
# anything ends with exit status 3 (`sai_incompleto`), never 0.
#   deixa_de_fora WHAT
incompleto=0
deixa_de_fora() {
    echo "== LEFT OUT: $*" >&2
    incompleto=1
    if [ -n "${TAVORIN_FALTOU:-}" ]; then echo "$*" >>"$TAVORIN_FALTOU"; fi
}
# Ends the tool: 3 when something was left out, else its own status.
sai_incompleto() {
    local status=${1:-0}
    if [ "$status" = 0 ] && [ "$incompleto" = 1 ]; then status=3; fi
    exit "$status"
}

# What ctest ran without running it whole, read from its JUnit report: a
# GoogleTest case or a QtTest function that skipped itself, a test that
# ctest did not run or found disabled. Each is left out.
#   testes_pulados JUNIT_FILE WHERE
testes_pulados() {
    [ -e "$1" ] || { deixa_de_fora "$2: no test report ($1)"; return; }
    local nomes
    nomes=$({
        sed -n 's/.*\[  SKIPPED \] \([A-Za-z_][A-Za-z0-9_/]*\.[A-Za-z0-9_/]*\).*/\1/p' "$1"
        sed -n 's/^.*SKIP   : \([^ ]*::[^(]*([^)]*)\).*/\1/p' "$1"
        sed -n 's/.*<testcase name="\([^"]*\)".*status="\(notrun\|disabled\)".*/\1/p' "$1"
    } | sort -u | paste -sd ' ')
    if [ -n "$nomes" ]; then deixa_de_fora "$2: tests that did not run whole: $nomes"; fi
}
