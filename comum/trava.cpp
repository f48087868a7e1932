#include "trava.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace comum {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)

Arquivo AbreParaTravar(const fs::path& caminho, Trava::Abertura abertura, Trava::Forma forma) {
    const DWORD partilha = forma == Trava::Forma::Byte ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0;
    const auto abre = [&](DWORD acesso, DWORD disposicao, DWORD opcoes) {
        return Arquivo(CreateFileW(caminho.c_str(), acesso, partilha, nullptr, disposicao, opcoes, nullptr));
    };
    switch (abertura) {
        case Trava::Abertura::Existente:
            return abre(GENERIC_READ, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
        case Trava::Abertura::Nova:
            return abre(GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        case Trava::Abertura::Compartilhada:
            break;
    }
    Arquivo arquivo = abre(GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    // A lock file another user made, that this one may only read, locks too.
    if (!arquivo.Aberto()) arquivo = abre(GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return arquivo;
}

bool Tranca(Alca alca, bool espera) {
    OVERLAPPED inicio{};
    return LockFileEx(alca, LOCKFILE_EXCLUSIVE_LOCK | (espera ? 0 : LOCKFILE_FAIL_IMMEDIATELY), 0, 1, 0, &inicio) != 0;
}

#else

Arquivo AbreParaTravar(const fs::path& caminho, Trava::Abertura abertura, Trava::Forma) {
    switch (abertura) {
        case Trava::Abertura::Existente:
            return AbreSemEsperar(caminho.c_str(), O_RDONLY | O_NOFOLLOW);
        case Trava::Abertura::Nova:
            return AbreSemEsperar(caminho.c_str(), O_WRONLY | O_CREAT | O_EXCL);
        case Trava::Abertura::Compartilhada:
            break;
    }
    // Made here: readable by every user whatever the umask.
    Arquivo arquivo = AbreSemEsperar(caminho.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (arquivo.Aberto()) {
        ::fchmod(arquivo.Nativa(), 0644);
        return arquivo;
    }
    if (arquivo.Erro() == EEXIST) arquivo = AbreSemEsperar(caminho.c_str(), O_RDWR);
    // A lock file another user made, that this one may only read, locks too.
    if (!arquivo.Aberto() && arquivo.Erro() != ENOENT && arquivo.Erro() != ELOOP)
        arquivo = AbreSemEsperar(caminho.c_str(), O_RDONLY);
    return arquivo;
}

// flock belongs to the open file, not to the process: two threads or two
// copies of the code in one process exclude each other as well.
bool Tranca(Alca alca, bool espera) {
    int resultado;
    while ((resultado = ::flock(alca, LOCK_EX | (espera ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
    }
    return resultado == 0;
}

#endif

// Waiting for a held lock: the system's own blocking wait, which wakes the
// moment the holder lets go (polling would keep losing to a holder that
// takes it again at once, as a reading does for its next block), on a
// thread of its own when it may be given up.
struct Espera {
    std::mutex trava;
    std::condition_variable pronta;
    bool terminou = false, obtida = false, abandonada = false;
};

Trava::Estado EsperaAte(Arquivo& arquivo, std::chrono::milliseconds limite,
                        const std::function<bool()>& interromper) {
    using Estado = Trava::Estado;
    const bool semFim = limite == Trava::kSempre;
    if (semFim && !interromper) return Tranca(arquivo.Nativa(), true) ? Estado::Obtida : Estado::Ocupada;
    // The file is the wait's to close whenever the lock is not the caller's.
    auto espera = std::make_shared<Espera>();
    std::thread([espera, alca = arquivo.Nativa()] {
        const bool obtida = Tranca(alca, true);
        std::lock_guard<std::mutex> guarda(espera->trava);
        espera->terminou = true;
        espera->obtida = obtida;
        if (espera->abandonada || !obtida) Arquivo{alca}.Fecha();
        espera->pronta.notify_all();
    }).detach();
    using Relogio = std::chrono::steady_clock;
    const auto fim = semFim ? Relogio::time_point::max() : Relogio::now() + limite;
    std::unique_lock<std::mutex> guarda(espera->trava);
    for (;;) {
        const Relogio::duration resta = fim - Relogio::now();
        const Relogio::duration fatia = interromper ? std::min<Relogio::duration>(std::chrono::milliseconds(100), resta) : resta;
        if (espera->pronta.wait_for(guarda, std::max(fatia, Relogio::duration::zero()), [&] { return espera->terminou; })) {
            if (!espera->obtida) arquivo.Solta();
            return espera->obtida ? Estado::Obtida : Estado::Ocupada;
        }
        const bool interrompida = interromper && interromper();
        if (interrompida || Relogio::now() >= fim) {
            espera->abandonada = true;
            arquivo.Solta();
            return interrompida ? Estado::Interrompida : Estado::Ocupada;
        }
    }
}

}  // namespace

Trava::Trava(const fs::path& arquivo, std::chrono::milliseconds limite, const std::function<bool()>& interromper,
             Abertura abertura, Forma forma)
    : arquivo_(AbreParaTravar(arquivo, abertura, forma)), forma_(forma) {
    if (!arquivo_.Aberto()) {
        erro_ = arquivo_.Erro();
#if defined(_WIN32)
        if (forma == Forma::SemPartilha && erro_ == ERROR_SHARING_VIOLATION) estado_ = Estado::Ocupada;
#endif
        return;
    }
#if defined(_WIN32)
    // Held by being open.
    if (forma == Forma::SemPartilha) {
        estado_ = Estado::Obtida;
        return;
    }
#endif
    if (Tranca(arquivo_.Nativa(), false))
        estado_ = Estado::Obtida;
    else
        estado_ = limite.count() > 0 ? EsperaAte(arquivo_, limite, interromper) : Estado::Ocupada;
}

Trava::~Trava() {
#if defined(_WIN32)
    // Let go at once: a handle's locks otherwise go some time after it is closed.
    OVERLAPPED inicio{};
    if (Obtida() && forma_ == Forma::Byte && arquivo_.Aberto()) UnlockFileEx(arquivo_.Nativa(), 0, 1, 0, &inicio);
#endif
}

Arquivo Trava::TomaArquivo() { return std::move(arquivo_); }

}  // namespace comum
