# shellcheck shell=bash
# Sourced by the scripts in tools/: what they do alike, done one way.
#   packages      precisa, PACOTES_*
#   apt           espelho, apt_privado (sources of their own, never the machine's)
#   outcome       falha, confere, deixa_de_fora, sai_incompleto, testes_pulados
#   waiting       aguarda
#   emulator      fixa_cpu_emulada, mostra_versoes
#   X screen      inicia_xvfb, encerra_xvfb, espera_janela, sem_janela,
#                 tela_quieta, px, clica, caixa, espera_caixa
#   wine          novo_prefixo, inicia_prefixo
# Every wait here waits for something to happen (a file, a window, a text,
# a process), polling with a generous bound that is only a safety net.

ferramenta=$(basename "$0")

# --- packages ----------------------------------------------------------------

# Installs the Debian packages that are missing, and only those, so a second
# run installs nothing.
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

# shellcheck disable=SC2034 # used by the tools that source this
# What building and testing the program needs on Debian 12.
PACOTES_BASE=(cmake make g++ qt6-base-dev googletest libgtest-dev fonts-dejavu-core zlib1g-dev
              desktop-file-utils appstream libcli11-dev nlohmann-json3-dev
              librsvg2-bin)
# What building the Debian package and trying it in a fresh root needs.
# shellcheck disable=SC2034
PACOTES_DEB=(dpkg-dev file lintian debootstrap xvfb xdotool xclip imagemagick)
# tools/fuzz: clang and its libFuzzer and sanitizer runtimes.
# shellcheck disable=SC2034
PACOTES_FUZZ=(clang-14 libclang-rt-14-dev zlib1g-dev cmake make)

# --- apt -----------------------------------------------------------------------

# The mirror this machine's apt uses for a Debian 12 suite (bookworm,
# bookworm-security...), whatever form its sources take; for a suite it
# has no source for, the one it uses for bookworm; Debian's own where it
# has none.
#   espelho SUITE
espelho() {
    local uri
    uri=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null | awk -v s="$1" '$2 == s { print $1; exit }')
    if [ -n "$uri" ]; then echo "$uri"
    elif [ "$1" = bookworm-security ]; then echo http://deb.debian.org/debian-security/
    elif [ "$1" != bookworm ]; then espelho bookworm  # backports and updates live beside it
    else echo http://deb.debian.org/debian/
    fi
}

# Sources of a tool's own in FOLDER (lists and sources there), so that the
# machine's apt sources stay as they are: fetches their lists and leaves in
# the array apt_opcoes the options that make apt-get use them.
#   apt_privado FOLDER TYPE SUITE...    (TYPE: deb or deb-src)
apt_privado() {
    local pasta=$1 tipo=$2 suite
    shift 2
    mkdir -p "$pasta/sources.list.d" "$pasta/lists/partial"
    for suite in "$@"; do
        printf 'Types: %s\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\n' \
            "$tipo" "$(espelho "$suite")" "$suite"
    done >"$pasta/sources.list.d/tavorin.sources"
    apt_opcoes=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$pasta/sources.list.d"
        -o Dir::State::Lists="$pasta/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
    apt-get "${apt_opcoes[@]}" update -qq </dev/null
}

# --- outcome -------------------------------------------------------------------

# A failed check: said with the tool's name (and $contexto, when a tool sets
# one), then the tool ends with 1. A tool may define ao_falhar, run first.
falha() {
    echo "$ferramenta: ${contexto:+$contexto: }$*" >&2
    if declare -F ao_falhar >/dev/null; then ao_falhar >&2; fi
    exit 1
}
confere() {  # confere WHAT GOT EXPECTED
    [ "$2" = "$3" ] || falha "$1: \"$2\", expected \"$3\""
    echo "   $1: \"$2\""
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

# --- waiting -------------------------------------------------------------------

# Whether FILE begins with TEXT (an answer in RespZub.txt, say).
#   comeca_com FILE TEXT
comeca_com() { [ "$(head -c "${#2}" "$1" 2>/dev/null)" = "$2" ]; }

# Waits until COMMAND succeeds, asking again every 0.2 s; fails after
# SECONDS, a bound that is only a safety net.
#   aguarda SECONDS COMMAND [ARGUMENT...]
aguarda() {
    local fim=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -le "$fim" ] || return 1
        sleep 0.2
    done
}

# --- emulator ------------------------------------------------------------------

# Where this kernel runs 32-bit x86 code only through qemu-user, the CPU the
# emulator shows to the programs is pinned. Left to itself the emulator
# presents its "max" model, and what that holds changes with the emulator's
# version: qemu-user 10 reports AVX2 without running every AVX2
# instruction, so Qt, which picks its drawing code by the CPU's features at
# run time, dies on an illegal instruction (0xc000001d under wine).
# Westmere (SSE4.2, no AVX) is a model whose instructions the emulator has
# run faithfully for many versions, and which every PC the program targets
# (Windows 7 and later) also runs.
#   fixa_cpu_emulada    exports QEMU_CPU where the emulator is in use
#   mostra_versoes      prints wine's, the emulator's and the cross compiler's versions
CPU_EMULADA=Westmere

emulador_em_uso() {
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386
}

fixa_cpu_emulada() {
    emulador_em_uso || return 0
    local qemu modelos
    qemu=$(awk '/^interpreter/ { print $2 }' /proc/sys/fs/binfmt_misc/qemu-i386)
    modelos=$("$qemu" -cpu help 2>/dev/null) || true
    if ! grep -qw "$CPU_EMULADA" <<<"$modelos"; then
        echo "the i386 emulator $qemu does not know the CPU model $CPU_EMULADA" >&2
        return 1
    fi
    export QEMU_CPU=$CPU_EMULADA
}

mostra_versoes() {
    local qemu="none (this kernel runs 32-bit code itself)" cpu=${QEMU_CPU:-default}
    if emulador_em_uso; then
        qemu="$(dpkg-query -W -f='qemu-user ${Version}' qemu-user 2>/dev/null), CPU model $cpu"
    fi
    echo "== versions: wine $(wine --version 2>/dev/null | sed 's/^wine-//');" \
        "emulator: $qemu;" \
        "cross compiler: $(i686-w64-mingw32-g++-posix --version 2>/dev/null | head -1)"
}

# --- X screen ------------------------------------------------------------------

# A virtual X screen on a free display number, for what must show windows
# without one:
#   inicia_xvfb GEOMETRY LOG [XVFB_OPTION...]
# starts Xvfb with one screen of GEOMETRY (e.g. 1024x768x24), its output in
# LOG, waits until it takes connections, exports DISPLAY and leaves its
# process id in $xvfb (ended by encerra_xvfb). Fails when it does not start.
xvfb=
inicia_xvfb() {
    local geometria=$1 registro=$2 numero
    shift 2
    numero=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$geometria" -nolisten tcp "$@" 3>"$numero" >"$registro" 2>&1 &
    xvfb=$!
    for _ in $(seq 300); do
        [ -s "$numero" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$numero" ]; then rm -f "$numero"; encerra_xvfb; return 1; fi
    DISPLAY=:$(head -1 "$numero")
    export DISPLAY
    rm -f "$numero"
}
encerra_xvfb() {
    [ -n "$xvfb" ] || return 0
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=
}

# The X window whose title matches TITLE_REGEX, once it is mapped; fails
# after SECONDS without one (default 600, a safety net only: a wine
# program started through the emulator on a busy machine once did not
# show in 120).
#   espera_janela TITLE_REGEX [SECONDS]
espera_janela() {
    local id fim=$((SECONDS + ${2:-600}))
    while [ "$SECONDS" -le "$fim" ]; do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    return 1
}

# True once WINDOW is gone (its program ended or closed it).
#   sem_janela WINDOW
sem_janela() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }

# Waits until WINDOW is drawn and still: two pictures of it in a row alike,
# with more than a few colours (not a bare background: a Qt window of plain
# controls drawn whole has 14 under wine at 96 DPI), and unlike the
# picture PREVIOUS (a page it showed before) when given. Prints that
# picture's checksum; after SECONDS (default 120) prints the last one and
# fails.
#   tela_quieta WINDOW [PREVIOUS [SECONDS]]
tela_quieta() {
    local antes=${2:-} fim=$((SECONDS + ${3:-120})) ultima='' agora foto
    foto=$(mktemp --suffix=.ppm)
    while [ "$SECONDS" -le "$fim" ]; do
        import -window "$1" "$foto" 2>/dev/null || : >"$foto"
        agora=$(md5sum <"$foto" | cut -d' ' -f1)
        if [ "$agora" = "$ultima" ] && [ "$agora" != "$antes" ] &&
            [ "$(identify -format %k "$foto" 2>/dev/null || echo 0)" -ge 8 ]; then
            rm -f "$foto"; echo "$agora"; return
        fi
        ultima=$agora
        sleep 0.2
    done
    rm -f "$foto"; echo "$ultima"
    return 1
}

# Twips (1440 to the inch: the windows' design) as pixels at DPI (default
# 96, the virtual screens' own).
#   px TWIPS [DPI]
px() { echo $(($1 * ${2:-96} / 1440)); }

# A click at a point of WINDOW given in twips. The window is raised first:
# with no window manager, a window moved to the corner may lie over the
# button and take the click.
#   clica WINDOW X Y [DPI]
clica() { xdotool windowraise "$1" mousemove --window "$1" "$(px "$2" "${4:-}")" "$(px "$3" "${4:-}")" click 1; }

# The text of a window's box at that place (twips, at 96 DPI), read through
# the clipboard: click at its centre, Ctrl+A, Ctrl+C. The clipboard first
# holds a marker, so an answer is the box's text, never an older copy; the
# copy is asked again until the marker goes (a key sent before the click
# gave the box the focus copies nothing). A read the clipboard's owner
# leaves unanswered (under wine one waited for minutes) is given up after
# 10 s and asked again. Empty when the text never comes.
#   caixa WINDOW LEFT TOP WIDTH HEIGHT
caixa() {
    local x=$(($2 + $4 / 2)) y=$(($3 + $5 / 2)) texto='' marca=tavorin-caixa-nada
    printf %s "$marca" | xclip -selection clipboard -i
    for _ in $(seq 20); do
        xdotool windowraise "$1" mousemove --window "$1" "$(px "$x")" "$(px "$y")" click 1 sleep 0.3 key ctrl+a ctrl+c
        for _ in $(seq 10); do
            if texto=$(timeout 10 xclip -o -selection clipboard 2>/dev/null); then
                texto=${texto//$'\r'/}
                [ "$texto" != "$marca" ] && { printf %s "$texto"; return; }
            fi
            sleep 0.2
        done
    done
}
# The box's text once it reads EXPECTED, or what it reads after SECONDS
# (default 120): for a text the program writes after its window shows.
#   espera_caixa WINDOW LEFT TOP WIDTH HEIGHT EXPECTED [SECONDS]
espera_caixa() {
    local texto fim=$((SECONDS + ${7:-120}))
    while :; do
        texto=$(caixa "$1" "$2" "$3" "$4" "$5")
        [ "$texto" = "$6" ] || [ "$SECONDS" -gt "$fim" ] && break
        sleep 0.5
    done
    printf %s "$texto"
}

# --- wine ----------------------------------------------------------------------

# A new 32-bit prefix in FOLDER, like the vendor's DLL, made anew (a server
# left by an interrupted run is ended first: it would keep the old one
# alive). Without the overrides, creating the prefix offers to install Mono
# and Gecko and waits for an answer that never comes; menu entries on this
# machine's desktop are not made.
#   novo_prefixo FOLDER
novo_prefixo() {
    export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
}
# Creates the prefix; with --fontes also puts wine's own fonts (fonts-wine,
# Tahoma the dialog font among them) in its Fonts folder, where Windows
# keeps its own and where wine looks for them (without them Qt lays the
# windows out in whatever font is left, a math font here), and turns font
# smoothing on (ClearType) as Windows has it since Vista: wine's default,
# off, draws Tahoma at 9 and 10 pixels with upright strokes missing.
#   inicia_prefixo [--fontes]
inicia_prefixo() {
    wine wineboot -i </dev/null >/dev/null 2>&1 || falha "could not create the wine prefix"
    [ "${1:-}" = --fontes ] || return 0
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || falha "no fonts-wine fonts"
    wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /t REG_SZ /d 2 /f >/dev/null 2>&1 &&
        wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f >/dev/null 2>&1 ||
        falha "could not turn font smoothing on"
}
