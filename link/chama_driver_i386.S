// Every call into the driver library on 32-bit Windows goes through here,
// so that a library built with the wrong calling convention is noticed and
// still works. The printer maker's callers expect __stdcall: the function
// removes its own arguments from the stack. A cdecl one leaves them there,
// and a typed call from C++ would go on with the stack 4 or 12 bytes off.
//
//   uint32_t TavorinChamaDriver(const void* funcao, const uint32_t* argumentos,
//                               uint32_t quantos, int32_t* retirados);  (cdecl)
//
// Pushes the `quantos` 32-bit arguments right to left, calls `funcao`,
// stores in *retirados how many bytes the callee removed from the stack
// (4 per argument for __stdcall, none for cdecl), puts the stack back
// where it was whatever the callee did, and returns eax as it left it.
//
// The stack pointer at the call is kept in ebx and the frame in ebp: every
// x86 convention makes the callee keep both, so no static memory is needed
// and any thread may call.

    .intel_syntax noprefix
    .text
    .globl _TavorinChamaDriver
    .def _TavorinChamaDriver; .scl 2; .type 32; .endef
    .p2align 4
_TavorinChamaDriver:
    push ebp
    mov ebp, esp
    push ebx
    push esi

    // The arguments start on a 16-byte boundary, as the compiler's own
    // calls have them.
    mov ecx, [ebp+16]           // quantos
    lea eax, [ecx*4]
    and esp, -16
    sub esp, eax
    and esp, -16
    add esp, eax

    // Right to left: the last argument first.
    mov esi, [ebp+12]           // argumentos
1:  test ecx, ecx
    jz 2f
    push dword ptr [esi+ecx*4-4]
    dec ecx
    jmp 1b

2:  mov ebx, esp                // the stack pointer at the call
    call dword ptr [ebp+8]      // funcao
    mov ecx, esp
    sub ecx, ebx                // what the callee removed
    mov edx, [ebp+20]
    mov [edx], ecx

    lea esp, [ebp-8]            // back where it was, whatever the callee did
    pop esi
    pop ebx
    pop ebp
    ret
