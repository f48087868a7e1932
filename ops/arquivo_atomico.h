// A file that is written beside its final name and takes that name only
// once it is complete: whoever reads the final name sees the previous
// file, byte for byte, or the whole new one, never a part. A file given up
// (or never completed) leaves nothing behind.
#pragma once

#include <string>

namespace tavorin {

class ArquivoAtomico {
public:
    // `caminho` is 8-bit text, as the program's other texts (the ANSI code
    // page on Windows).
    explicit ArquivoAtomico(std::string caminho);
    ~ArquivoAtomico();
    ArquivoAtomico(const ArquivoAtomico&) = delete;
    ArquivoAtomico& operator=(const ArquivoAtomico&) = delete;

    // Creates the temporary file beside the final one; false when it
    // cannot be created or the final name is a folder.
    bool Abre();
    bool Escreve(const std::string& bytes);
    // Writes out what is pending, makes it durable and puts it in place of
    // the final file. On failure the temporary file is removed and the
    // final one is as it was.
    bool Conclui();
    void Descarta();

    // Why the last step failed, in the platform's words.
    const std::string& Erro() const { return erro_; }

private:
    bool Descarrega();
    void Falhou(int codigo);

    std::string caminho_, destino_, temporario_, pendente_, erro_;
#if defined(_WIN32)
    void* arquivo_ = nullptr;
#else
    int arquivo_ = -1;
#endif
};

}  // namespace tavorin
