#!/bin/sh
# The simulated printer's launcher, installed in a scratch tree beside a
# stand-in program that reports where it runs: the working folder, the
# simulator's folder and the library path for each way XDG_DATA_HOME and
# HOME can be set. Usage: lancador.sh LAUNCHER
set -eu
tmp=$(mktemp -d "${TMPDIR:-/tmp}/lançador com espaço.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/usr/bin" "$tmp/casa"
cp "$1" "$tmp/usr/bin/tavorin-simulador"
printf '#!/bin/sh\necho "$(pwd)|$ZUBSIM_DIR|$LD_LIBRARY_PATH|$*"\n' >"$tmp/usr/bin/tavorin"
chmod +x "$tmp/usr/bin/tavorin" "$tmp/usr/bin/tavorin-simulador"
ln -s "$tmp/usr/bin/tavorin-simulador" "$tmp/atalho"

falhas=0
caso() {  # caso WHAT EXPECTED COMMAND [VAR=VALUE...]
    o_que=$1 esperado=$2 comando=$3
    shift 3
    obtido=$(cd "$tmp" && env -i PATH=/usr/bin:/bin "$@" "$comando" -x 2>&1) || obtido="falhou: $obtido"
    if [ "$obtido" != "$esperado" ]; then
        echo "FAIL $o_que: got \"$obtido\", expected \"$esperado\""
        falhas=$((falhas + 1))
    fi
}
lanca=$tmp/usr/bin/tavorin-simulador
bib=$tmp/usr/lib/tavorin/simulador
padrao=$tmp/casa/.local/share/tavorin/simulador
caso "HOME alone" "$padrao|$padrao|$bib|-x" "$lanca" HOME="$tmp/casa"
caso "XDG_DATA_HOME" "$tmp/dados/tavorin/simulador|$tmp/dados/tavorin/simulador|$bib|-x" "$lanca" \
    HOME="$tmp/casa" XDG_DATA_HOME="$tmp/dados"
caso "relative XDG_DATA_HOME ignored" "$padrao|$padrao|$bib|-x" "$lanca" HOME="$tmp/casa" XDG_DATA_HOME=dados
caso "library path kept after the simulator's" "$padrao|$padrao|$bib:/outra|-x" "$lanca" \
    HOME="$tmp/casa" LD_LIBRARY_PATH=/outra
caso "started through a link" "$padrao|$padrao|$bib|-x" "$tmp/atalho" HOME="$tmp/casa"
caso "no HOME, no XDG_DATA_HOME" "falhou: tavorin-simulador: neither XDG_DATA_HOME nor HOME is set" "$lanca"
exit "$falhas"
