// A driver that keeps RespZub.txt open between commands and writes each
// answer through its own handle, sharing the file in each of the ways a
// Windows program may: the link takes that driver's new answers where it
// can tell them apart, and never the answer that was there before.
#include "ambiente_teste.h"
#include "fake_driver.h"
#include "link.h"
#include "registro.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>

namespace tavorin {
namespace {

using namespace teste;

// The fake driver, writing through a handle on RespZub.txt held open from
// before the first command.
class DriverQueSegura {
public:
    explicit DriverQueSegura(DWORD partilha)
        : alca_(CreateFileA(kArquivoResposta, GENERIC_READ | GENERIC_WRITE, partilha, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        Escreve("{+28 stale\r\n");
        driver_.grava = [this](const std::string& bytes) { Escreve(bytes); };
        driver_.porComando = [this](int16_t, const std::string& comando) {
            return std::optional<Atendimento>({responde ? std::optional<std::string>("{+" + comando.substr(1) + " new")
                                                        : std::nullopt});
        };
    }
    ~DriverQueSegura() { CloseHandle(alca_); }
    bool Aberto() const { return alca_ != INVALID_HANDLE_VALUE; }
    bool responde = true;

private:
    void Escreve(const std::string& bytes) {
        LARGE_INTEGER zero{};
        DWORD escritos = 0;
        SetFilePointerEx(alca_, zero, nullptr, FILE_BEGIN);
        WriteFile(alca_, bytes.data(), static_cast<DWORD>(bytes.size()), &escritos, nullptr);
        SetEndOfFile(alca_);
        FlushFileBuffers(alca_);
    }
    HANDLE alca_;
    FakeDriver driver_;
};

TEST(RespostaPresa, DriverHoldingTheAnswerFile) {
    const struct {
        const char* nome;
        DWORD partilha;
        bool novasLidas;  // whether the driver's answers can be told apart
    } casos[] = {
        {"read+write", FILE_SHARE_READ | FILE_SHARE_WRITE, true},  // emptied in place
        {"read", FILE_SHARE_READ, true},                           // changed, so taken
        {"none", 0, false},                                        // cannot even be read
        {"read+write+delete", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        DiretorioTemporario pasta;
        DriverQueSegura driver(caso.partilha);
        ASSERT_TRUE(driver.Aberto());
        LimpaTrocas();
        for (const char* comando : {".23", ".28"}) {
            EnviaComando(1, 10, comando);
            EXPECT_NE(Resposta, "{+28 stale");
            if (caso.novasLidas) {
                EXPECT_EQ(Resposta, std::string("{+") + (comando + 1) + " new");
            }
        }
        // A driver that writes nothing leaves no answer, never the last one.
        driver.responde = false;
        EnviaComando(1, 10, ".13");
        EXPECT_EQ(Resposta, "");
        // Told once while the file stays held (the first case starts free).
        const std::vector<Troca> trocas = Trocas();
        const auto notas = std::count_if(trocas.begin(), trocas.end(), [](const Troca& t) { return !t.nota.empty(); });
        EXPECT_EQ(notas, &caso == casos ? 1 : 0);
    }
}

}  // namespace
}  // namespace tavorin
