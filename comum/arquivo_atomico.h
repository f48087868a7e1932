// A file that is written beside its final name and takes that name only
// once it is complete: whoever reads the final name sees the previous
// file, byte for byte, or the whole new one, never a part, and nothing is
// left beside it. Used for LeitM.txt and for the simulated printer's state.
//
// Only a regular file (or none) is ever replaced. Through a symbolic link
// the file it leads to is replaced and the link stays. A device or a pipe
// (/dev/null, /dev/stdout, NUL, CON) has nothing to replace: it takes the
// whole content where it stands once it is complete, and nothing of a
// write given up. Anything else (a folder, a socket, a disk) is refused.
#pragma once

#include "entrada_saida.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace comum {

class ArquivoAtomico {
public:
    // With `duravel` the file reaches the disk before it takes the final
    // name, and the name itself right after (the folder is flushed on
    // POSIX; the move is written through on Windows).
    explicit ArquivoAtomico(std::filesystem::path caminho, bool duravel = true);
    ~ArquivoAtomico();
    ArquivoAtomico(const ArquivoAtomico&) = delete;
    ArquivoAtomico& operator=(const ArquivoAtomico&) = delete;

    // Creates the temporary file beside the final one (or opens the device
    // or pipe); false when it cannot be created, the final name is neither
    // a regular file nor a device or pipe, or the final file is read-only
    // (its owner's protection is honoured, by root too).
    bool Abre();
    bool Escreve(const std::string& bytes);
    // Writes out what is pending and puts the file in place of the final
    // one. On failure the temporary file is removed and the final one is
    // as it was.
    bool Conclui();
    void Descarta();

    // Why the last step failed, in the platform's words (its 8-bit text).
    const std::string& Erro() const { return erro_; }

#if defined(_WIN32)
    // Called each time another program holding the final file kept it
    // from being replaced and Conclui is about to try again: where a test
    // lets that program go, at a known step rather than after a delay.
    void AntesDeRepetir(std::function<void()> faz) { antesDeRepetir_ = std::move(faz); }
#endif

private:
    bool AbreNoLugar(int descritor);  // POSIX: one of this process's, or -1
    bool CriaTemporario();            // beside destino_
    static std::filesystem::path NomeTemporario(const std::filesystem::path& destino);
    bool Descarrega();
    // Conclui's part that is the same on every system; empty while the
    // temporary file is still to take the final name.
    std::optional<bool> AntesDeTrocar();
    void Falhou(int codigo);

    std::filesystem::path caminho_, destino_, temporario_;
    bool duravel_;
    bool noLugar_ = false;  // a device or a pipe, written where it stands
    std::string pendente_, erro_;
    Arquivo arquivo_;
#if defined(_WIN32)
    std::function<void()> antesDeRepetir_;
#endif
};

// The name a write to `caminho` replaces: through symbolic links, the
// name they lead to (which may not exist yet); `caminho` itself otherwise.
std::filesystem::path Alvo(const std::filesystem::path& caminho);

// A name Windows takes as a device (NUL, CON, COM1, \\.\ names), which
// must not be opened only to look at it; none elsewhere.
bool NomeDeDispositivo(const std::filesystem::path& caminho);

// The whole of `bytes` as the new content of `caminho`, as above.
bool GravaAtomico(const std::filesystem::path& caminho, const std::string& bytes, bool duravel = true);

// A text of lines ended by '\n' saved as the operator's text files are (CR
// LF on Windows, for Notepad), as above. Empty when saved; otherwise the
// system's reason, as UTF-8.
std::string GravaTexto(const std::filesystem::path& caminho, const std::string& texto);

// Removes the temporary files that a process killed while writing
// `caminho` left beside it (regular files of that naming only). One still
// being written is held by its writer (a comum::Trava) and is left alone.
void RemoveAbandonados(const std::filesystem::path& caminho);

// Flushes the folder holding `caminho`, so that a new or renamed entry
// survives a crash (POSIX; Windows needs nothing of the kind).
void SincronizaPasta(const std::filesystem::path& caminho);

}  // namespace comum
