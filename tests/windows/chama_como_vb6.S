// Calls a function of a loaded driver library the way a Visual Basic 6
// program calls a Declare'd function, and records what the callee did to
// the stack and to the registers it must keep.
//
//   void ChamaComoVB6(const void* funcao, const uint32_t* argumentos,
//                     uint32_t quantos, uint32_t desalinho,
//                     RegistroChamada* registro);   (cdecl)
//
// The arguments are pushed right to left, one 32-bit slot each, with the
// stack at `desalinho` bytes past a 16-byte boundary at the call (VB6 keeps
// only 4-byte alignment). The caller-side frame is kept in static memory,
// not in registers, so a callee that breaks the convention is measured
// instead of crashing the harness. Not reentrant: one call at a time.
//
// RegistroChamada, eight 32-bit words: eax on return, esp at the call
// (after the pushes), esp on return, ebx, esi, edi, ebp on return, eflags
// on return. The callee-saved registers are loaded with the sentinels
// below before the call.

    .intel_syntax noprefix

    .set SENTINELA_EBX, 0xB0B0B0B0
    .set SENTINELA_ESI, 0x51515151
    .set SENTINELA_EDI, 0xD1D1D1D1
    .set SENTINELA_EBP, 0xE8E8E8E8

    .globl _SentinelaEbx
    .globl _SentinelaEsi
    .globl _SentinelaEdi
    .globl _SentinelaEbp
    .section .rdata,"dr"
    .p2align 2
_SentinelaEbx: .long SENTINELA_EBX
_SentinelaEsi: .long SENTINELA_ESI
_SentinelaEdi: .long SENTINELA_EDI
_SentinelaEbp: .long SENTINELA_EBP

    .bss
    .p2align 2
quadro:      .space 4    // this function's ebp
funcao:      .space 4
esp_chamada: .space 4
depois:      .space 28   // eax, esp, ebx, esi, edi, ebp, eflags

    .text
    .globl _ChamaComoVB6
    .def _ChamaComoVB6; .scl 2; .type 32; .endef
    .p2align 4
_ChamaComoVB6:
    push ebp
    mov ebp, esp
    push ebx
    push esi
    push edi
    mov [quadro], ebp
    mov eax, [ebp+8]
    mov [funcao], eax

    // Place esp so that after 4*quantos bytes of arguments it sits
    // `desalinho` bytes past a 16-byte boundary.
    mov ecx, [ebp+16]
    and esp, -16
    sub esp, 16
    lea eax, [ecx*4]
    add eax, [ebp+20]
    and eax, 15
    add esp, eax

    // Right to left: the last argument first.
    mov esi, [ebp+12]
1:  test ecx, ecx
    jz 2f
    push dword ptr [esi+ecx*4-4]
    dec ecx
    jmp 1b
2:
    mov [esp_chamada], esp
    mov ebx, SENTINELA_EBX
    mov esi, SENTINELA_ESI
    mov edi, SENTINELA_EDI
    mov ebp, SENTINELA_EBP
    cld
    call dword ptr [funcao]

    mov [depois], eax
    mov [depois+4], esp
    mov [depois+8], ebx
    mov [depois+12], esi
    mov [depois+16], edi
    mov [depois+20], ebp
    pushfd
    pop eax
    mov [depois+24], eax

    cld
    mov ebp, [quadro]
    lea esp, [ebp-12]
    mov edi, [ebp+24]
    mov eax, [depois]
    mov [edi], eax
    mov eax, [esp_chamada]
    mov [edi+4], eax
    mov eax, [depois+4]
    mov [edi+8], eax
    mov eax, [depois+8]
    mov [edi+12], eax
    mov eax, [depois+12]
    mov [edi+16], eax
    mov eax, [depois+16]
    mov [edi+20], eax
    mov eax, [depois+20]
    mov [edi+24], eax
    mov eax, [depois+24]
    mov [edi+28], eax

    pop edi
    pop esi
    pop ebx
    pop ebp
    ret
