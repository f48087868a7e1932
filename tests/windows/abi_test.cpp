// Checks a driver library the way the operators' Visual Basic 6 programs
// use the printer maker's Zub_Dll3.dll: loaded by file name from the
// program's folder, its functions found by their plain names, each called
// with its arguments pushed right to left, 16-bit integers in 32-bit
// slots. A __stdcall callee removes its own arguments: 4, 4 and 12 bytes
// for Abre, Fecha and TXRX. A cdecl one removes none, which VB6 reports as
// "Bad DLL calling convention" — and which a typed call from C++ cannot
// notice, because the compiler fixes the stack up after either kind.
//
// Prints what it measured for every function and exits 1 on any mismatch.
// Runs in a fresh temporary folder, where the driver writes RespZub.txt.
// (A library that needs the mingw runtime's DLLs does not even load.)

#include "../support/ambiente_teste.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// What the call shim saw: eax on return, esp at the call and on return,
// then ebx, esi, edi, ebp and eflags on return.
struct RegistroChamada {
    uint32_t eax, espChamada, espDepois, ebx, esi, edi, ebp, eflags;
};

extern "C" {
void ChamaComoVB6(const void* funcao, const uint32_t* argumentos, uint32_t quantos, uint32_t desalinho,
                  RegistroChamada* registro);
extern const uint32_t SentinelaEbx, SentinelaEsi, SentinelaEdi, SentinelaEbp;
}

namespace {

int falhas = 0;

void Falha(const std::string& texto) {
    ++falhas;
    std::printf("FAILED: %s\n", texto.c_str());
}

// The names the module exports, in the order of its table (sorted, so the
// loader can search it).
std::string Exportacoes(HMODULE modulo) {
    const auto base = reinterpret_cast<const unsigned char*>(modulo);
    const auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const DWORD onde = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    const auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + onde);
    const auto enderecos = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    std::string nomes;
    for (DWORD i = 0; onde != 0 && i < exp->NumberOfNames; ++i)
        nomes += " " + std::string(reinterpret_cast<const char*>(base + enderecos[i]));
    return nomes;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    tavorin::teste::DiretorioTemporario pasta;

    // By file name, as a Declare statement does: the program's own folder
    // comes first in the search.
    HMODULE modulo = LoadLibraryA("Zub_Dll3.dll");
    if (!modulo) {
        std::printf("FAILED: Zub_Dll3.dll not loaded (error %lu)\n", GetLastError());
        return 1;
    }
    const std::string exportacoes = Exportacoes(modulo);
    std::printf("exports:%s\n", exportacoes.c_str());
    if (exportacoes != " Abre Fecha TXRX") Falha("the library must export exactly Abre, Fecha and TXRX, undecorated");

    // Each call at every 4-byte stack alignment (VB6 keeps no more): the
    // bytes it removed, the registers it must keep, the direction flag, its
    // 16-bit result in AX (0, or negative for Abre(0)) and, for TXRX, an
    // accepted answer. VB6 does not promise what the upper half of a 16-bit
    // argument's slot holds, so the library must read only the lower one.
    const uint32_t sujo = 0x5A5A0000, comando = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(".28"));
    const struct {
        std::string descricao;
        uint32_t esperado;
        std::vector<uint32_t> argumentos;
    } chamadas[] = {
        {"Abre(1)", 4, {1}}, {"Abre(1), upper half set", 4, {sujo | 1}}, {"Abre(0)", 4, {0}},
        {"TXRX(1, 3, .28)", 12, {1, 3, comando}},
        {"TXRX(1, 3, .28), upper halves set", 12, {sujo | 1, sujo | 3, comando}},
        {"Fecha(1)", 4, {1}}, {"Fecha(1), upper half set", 4, {sujo | 1}},
    };
    std::vector<std::tuple<std::string, uint32_t, std::set<uint32_t>>> removidos;  // per function, in order
    for (const auto& chamada : chamadas) {
        const std::string nome = chamada.descricao.substr(0, chamada.descricao.find('('));
        const void* endereco = reinterpret_cast<const void*>(GetProcAddress(modulo, nome.c_str()));
        if (!endereco) Falha(nome + " is not exported under its plain name");
        if (removidos.empty() || std::get<0>(removidos.back()) != nome)
            removidos.emplace_back(nome, chamada.esperado, std::set<uint32_t>());
        std::map<std::string, std::string> defeitos;  // fault -> stack alignments where it showed
        for (uint32_t desalinho = 0; endereco && desalinho < 16; desalinho += 4) {
            std::filesystem::remove("RespZub.txt");
            RegistroChamada r{};
            const auto quantos = static_cast<uint32_t>(chamada.argumentos.size());
            ChamaComoVB6(endereco, chamada.argumentos.data(), quantos, desalinho, &r);
            const uint32_t bytes = r.espDepois - r.espChamada;
            const int16_t ax = static_cast<int16_t>(r.eax & 0xFFFF);
            const std::string resposta = tavorin::teste::LeArquivo("RespZub.txt");
            std::get<2>(removidos.back()).insert(bytes);
            std::vector<std::string> achados;
            if (bytes != chamada.esperado) achados.push_back("removed " + std::to_string(int32_t(bytes)) + " bytes");
            if (r.ebx != SentinelaEbx || r.esi != SentinelaEsi || r.edi != SentinelaEdi || r.ebp != SentinelaEbp)
                achados.push_back("a callee-saved register (ebx, esi, edi, ebp) changed");
            if (r.eflags & 0x400) achados.push_back("returned with the direction flag set");
            if (chamada.argumentos[0] == 0 ? ax >= 0 : ax != 0) achados.push_back("result " + std::to_string(ax));
            if (chamada.esperado == 12 && resposta.compare(0, 2, "@+") != 0)
                achados.push_back("RespZub.txt holds \"" + resposta + "\", not an accepted answer");
            for (const auto& achado : achados) defeitos[achado] += " 16n+" + std::to_string(desalinho);
        }
        for (const auto& [achado, onde] : defeitos)
            Falha(chamada.descricao + ": " + achado + " (stack at" + onde + ")");
    }
    FreeLibrary(modulo);

    // The figures: bytes each function removed, over all its calls, against
    // the expected count.
    std::string figuras;
    for (const auto& [nome, esperado, bytes] : removidos) {
        figuras += (figuras.empty() ? "" : ", ") + nome + (bytes.empty() ? " -" : " ");
        for (uint32_t b : bytes) figuras += std::to_string(int32_t(b)) + (b == *bytes.rbegin() ? "" : ",");
        figuras += "/" + std::to_string(esperado);
    }
    std::printf("bytes removed/expected: %s\n%s\n", figuras.c_str(), falhas == 0 ? "ABI OK" : "ABI WRONG");
    return falhas == 0 ? 0 : 1;
}
