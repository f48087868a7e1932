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

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

struct RegistroChamada {
    uint32_t eax;
    uint32_t espChamada;
    uint32_t espDepois;
    uint32_t ebx, esi, edi, ebp;
    uint32_t eflags;
};

}  // namespace

extern "C" {
void ChamaComoVB6(const void* funcao, const uint32_t* argumentos, uint32_t quantos,
                  uint32_t desalinho, RegistroChamada* registro);
extern const uint32_t SentinelaEbx, SentinelaEsi, SentinelaEdi, SentinelaEbp;
}

namespace {

int falhas = 0;

void Falha(const std::string& texto) {
    ++falhas;
    std::printf("FAILED: %s\n", texto.c_str());
}

// Names of everything the module exports, read from its export directory,
// plus the count of exported entry points (named or by ordinal only).
struct Exportacoes {
    std::set<std::string> nomes;
    DWORD funcoes = 0;
};

const unsigned char* Base(HMODULE modulo) { return reinterpret_cast<const unsigned char*>(modulo); }

const IMAGE_NT_HEADERS32* Cabecalho(HMODULE modulo) {
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base(modulo));
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(Base(modulo) + dos->e_lfanew);
}

Exportacoes LeExportacoes(HMODULE modulo) {
    Exportacoes resultado;
    const auto& dir = Cabecalho(modulo)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return resultado;
    auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(Base(modulo) + dir.VirtualAddress);
    auto nomes = reinterpret_cast<const DWORD*>(Base(modulo) + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i)
        resultado.nomes.insert(reinterpret_cast<const char*>(Base(modulo) + nomes[i]));
    resultado.funcoes = exp->NumberOfFunctions;
    return resultado;
}

// DLLs the module imports from.
std::vector<std::string> LeImportacoes(HMODULE modulo) {
    std::vector<std::string> resultado;
    const auto& dir = Cabecalho(modulo)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return resultado;
    auto imp = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(Base(modulo) + dir.VirtualAddress);
    for (; imp->Name != 0; ++imp)
        resultado.emplace_back(reinterpret_cast<const char*>(Base(modulo) + imp->Name));
    return resultado;
}

std::string Minusculas(std::string texto) {
    for (char& c : texto)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return texto;
}

std::string PrimeiraLinha(const std::filesystem::path& arquivo) {
    std::ifstream entrada(arquivo, std::ios::binary);
    std::string linha;
    std::getline(entrada, linha);
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    return linha;
}

// One way of calling a function: its 32-bit argument slots and what must
// come back in AX. VB6 reads a 16-bit result from AX alone.
struct Caso {
    const char* descricao;
    std::vector<uint32_t> argumentos;
    bool resultadoNegativo;   // expects a negative result instead of 0
    bool respostaAceita;      // RespZub.txt must then hold an accepted answer
};

struct Funcao {
    const char* nome;
    uint32_t esperado;        // bytes the callee must remove
    std::vector<Caso> casos;
    std::set<uint32_t> removidos;  // what it did remove, over every call
};

// Calls `funcao` once per case and per stack alignment, checking the stack,
// the callee-saved registers, the direction flag and the result. A fault
// seen at several alignments is reported once, with the alignments.
void Verifica(const void* endereco, Funcao& funcao, const std::filesystem::path& resposta) {
    for (const Caso& caso : funcao.casos) {
        std::map<std::string, std::string> defeitos;  // fault -> alignments
        for (uint32_t desalinho = 0; desalinho < 16; desalinho += 4) {
            std::vector<std::string> achados;
            std::error_code erro;
            std::filesystem::remove(resposta, erro);

            RegistroChamada r{};
            ChamaComoVB6(endereco, caso.argumentos.data(),
                         static_cast<uint32_t>(caso.argumentos.size()), desalinho, &r);
            const uint32_t removidos = r.espDepois - r.espChamada;
            funcao.removidos.insert(removidos);

            if (removidos != funcao.esperado)
                achados.push_back("callee removed " + std::to_string(static_cast<int32_t>(removidos)) +
                                  " bytes of arguments, expected " + std::to_string(funcao.esperado));
            if (r.ebx != SentinelaEbx || r.esi != SentinelaEsi || r.edi != SentinelaEdi ||
                r.ebp != SentinelaEbp)
                achados.push_back("a callee-saved register (ebx, esi, edi, ebp) changed");
            if (r.eflags & 0x400) achados.push_back("returned with the direction flag set");

            const int16_t ax = static_cast<int16_t>(r.eax & 0xFFFF);
            if (caso.resultadoNegativo ? ax >= 0 : ax != 0)
                achados.push_back("result " + std::to_string(ax) +
                                  (caso.resultadoNegativo ? ", expected a negative one" : ", expected 0"));
            if (caso.respostaAceita) {
                const std::string linha = PrimeiraLinha(resposta);
                if (linha.size() < 2 || linha[1] != '+')
                    achados.push_back("RespZub.txt holds \"" + linha + "\", not an accepted answer");
            }
            for (const auto& achado : achados) {
                auto& onde = defeitos[achado];
                onde += (onde.empty() ? "16n+" : ",") + std::to_string(desalinho);
            }
        }
        for (const auto& [achado, onde] : defeitos)
            Falha(std::string(funcao.nome) + caso.descricao + ": " + achado + " (stack at " + onde + ")");
    }
}

// A fresh folder for the driver's files, removed at the end.
struct PastaTemporaria {
    std::filesystem::path caminho;
    PastaTemporaria() {
        std::random_device rd;
        for (;;) {
            caminho = std::filesystem::temp_directory_path() / ("tavorin-abi-" + std::to_string(rd()));
            if (std::filesystem::create_directory(caminho)) break;
        }
        std::filesystem::current_path(caminho);
    }
    ~PastaTemporaria() {
        std::error_code erro;
        std::filesystem::current_path(caminho.parent_path(), erro);
        std::filesystem::remove_all(caminho, erro);
    }
};

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    PastaTemporaria pasta;

    // By file name, as a Declare statement does: the program's own folder
    // comes first in the search.
    HMODULE modulo = LoadLibraryA("Zub_Dll3.dll");
    if (!modulo) {
        std::printf("FAILED: Zub_Dll3.dll not loaded (error %lu)\n", GetLastError());
        return 1;
    }
    char caminho[MAX_PATH] = {};
    GetModuleFileNameA(modulo, caminho, MAX_PATH);
    std::printf("driver: %s\n", caminho);

    const Exportacoes exportacoes = LeExportacoes(modulo);
    std::string lista;
    for (const auto& nome : exportacoes.nomes) lista += " " + nome;
    std::printf("exports:%s\n", lista.c_str());
    if (exportacoes.nomes != std::set<std::string>{"Abre", "Fecha", "TXRX"} || exportacoes.funcoes != 3)
        Falha("the library must export exactly Abre, Fecha and TXRX, undecorated");

    std::string importacoes;
    for (const auto& nome : LeImportacoes(modulo)) {
        importacoes += " " + nome;
        if (Minusculas(nome).rfind("lib", 0) == 0)
            Falha("imports " + nome + ": the mingw runtime must be linked statically");
    }
    std::printf("imports:%s\n", importacoes.c_str());

    // 16-bit integers travel in 32-bit slots; VB6 does not promise what the
    // upper half holds, so the library must read only the lower one.
    const uint32_t sujo = 0x5A5A0000;
    static const char comando[] = ".28";
    const auto ponteiro = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(comando));

    std::vector<Funcao> funcoes = {
        {"Abre", 4, {{"(1)", {1}, false, false},
                     {"(1, garbage in the upper half)", {sujo | 1}, false, false},
                     {"(0)", {0}, true, false}}, {}},
        {"TXRX", 12, {{"(1, 3, \".28\")", {1, 3, ponteiro}, false, true},
                      {"(1, 3, \".28\", garbage in the upper halves)", {sujo | 1, sujo | 3, ponteiro}, false, true}}, {}},
        {"Fecha", 4, {{"(1)", {1}, false, false},
                      {"(1, garbage in the upper half)", {sujo | 1}, false, false}}, {}},
    };

    const auto resposta = pasta.caminho / "RespZub.txt";
    for (Funcao& funcao : funcoes) {
        FARPROC endereco = GetProcAddress(modulo, funcao.nome);
        if (!endereco) {
            Falha(std::string(funcao.nome) + " is not exported under its plain name");
            continue;
        }
        Verifica(reinterpret_cast<const void*>(endereco), funcao, resposta);
    }
    FreeLibrary(modulo);

    // The figures: bytes each function removed from the stack, over all its
    // calls, against the expected count.
    std::string figuras;
    for (const Funcao& funcao : funcoes) {
        std::string vistos;
        for (uint32_t r : funcao.removidos)
            vistos += (vistos.empty() ? "" : ",") + std::to_string(static_cast<int32_t>(r));
        if (vistos.empty()) vistos = "-";
        figuras += std::string(figuras.empty() ? "" : ", ") + funcao.nome + " " + vistos + "/" +
                   std::to_string(funcao.esperado);
    }
    std::printf("bytes removed/expected: %s\n", figuras.c_str());
    std::printf("%s\n", falhas == 0 ? "ABI OK" : "ABI WRONG");
    return falhas == 0 ? 0 : 1;
}
