# Sourced by the Windows checks: where this kernel runs 32-bit x86 code
# only through qemu-user, pins the CPU the emulator shows to the programs.
#
# Left to itself the emulator presents its "max" model, and what that
# holds changes with the emulator's version: qemu-user 10 reports AVX2
# without running every AVX2 instruction, so Qt, which picks its drawing
# code by the CPU's features at run time, dies on an illegal instruction
# (0xc000001d under wine). Westmere (SSE4.2, no AVX) is a model whose
# instructions the emulator has run faithfully for many versions, and
# which every PC the program targets (Windows 7 and later) also runs.
#
#   fixa_cpu_emulada    exports QEMU_CPU where the emulator is in use
#   mostra_versoes      prints wine's, the emulator's and the cross compiler's versions
CPU_EMULADA=Westmere

emulador_em_uso() {
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386
}

fixa_cpu_emulada() {
    emulador_em_uso || return 0
    local qemu
    qemu=$(awk '/^interpreter/ { print $2 }' /proc/sys/fs/binfmt_misc/qemu-i386)
    local modelos
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
