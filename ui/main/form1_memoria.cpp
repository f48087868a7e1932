// Reading of the fiscal memory, printed or saved as LeitM.txt.
#include "form1.h"

#include "caixa_texto.h"
#include "driver.h"
#include "link.h"
#include "regras_entrada.h"
#include "texto8.h"

#include <QRadioButton>
#include <QSaveFile>

namespace tavorin {

namespace {

const char* const kArquivoLeitura = "LeitM.txt";

// An answer that lets a reading to the file go on: the driver delivered
// it and the printer accepted the command or said it has no more blocks.
// Anything else ends the reading; a printer that keeps refusing would
// otherwise be asked for the next block forever.
bool BlocoEntregue(int16_t resultado) { return resultado >= 0 && (Status == "+" || Status == "]"); }

// Writes the program's own text into a range box, whole even past the
// typing limit ("-7" becomes "-0007"); an unchanged text is left alone so
// the operator's cursor stays where it was.
void Reescreve(CaixaTexto* caixa, const QString& texto) {
    if (caixa->text() != texto) caixa->setText(texto);
}

}  // namespace

void Form1::Porredu_Click() {
    Reescreve(Ini, QStringLiteral("0001"));
    Reescreve(Fim, QStringLiteral("1000"));
}

void Form1::Pordata_Click() {
    Ini->PoeLimite(10);
    Fim->PoeLimite(10);
    Reescreve(Ini, QStringLiteral("01/01/00"));
    Reescreve(Fim, QStringLiteral("30/12/10"));
}

void Form1::Ini_GotFocus() {
    if (Porredu->isChecked()) Ini->PoeLimite(4);
}

void Form1::Fim_GotFocus() {
    if (Porredu->isChecked()) Fim->PoeLimite(4);
}

void Form1::Ini_Validate() {
    Reescreve(Ini, Pordata->isChecked() ? NormalizaData(Ini->text()) : NormalizaNumero(Ini->text()));
}

void Form1::Fim_Validate() {
    Reescreve(Fim, Pordata->isChecked() ? NormalizaData(Fim->text()) : NormalizaNumero(Fim->text()));
}

void Form1::LMF_Click() {
    const bool noArquivo = NoArq->isChecked();
    if (Pordata->isChecked())
        LeituraPorData(noArquivo);
    else
        LeituraPorReducao(noArquivo);
}

void Form1::LeituraPorReducao(bool noArquivo) {
    Text3->setText(noArquivo ? QStringLiteral("Leitura por Redução em Arquivo ...")
                             : QStringLiteral("Leitura por Redução..."));
    Text3->Repinta();
    Abre(Porta);
    const std::string comando = ".15" + ParaDriver(Ini->text()) + ParaDriver(Fim->text());
    if (!noArquivo) {
        EnviaComando(Porta, 1000, comando);
        Fecha(Porta);
        Resultado();
        return;
    }
    const int16_t resultado = EnviaComando(Porta, 100, comando + "#");
    Resultado();
    if (BlocoEntregue(resultado)) GravaLeitura();
    Fecha(Porta);
}

void Form1::LeituraPorData(bool noArquivo) {
    Text3->setText(noArquivo ? QStringLiteral("Leitura por Data em Arquivo ...")
                             : QStringLiteral("Leitura por Data..."));
    Text3->Repinta();
    // The printer takes the dates as ddmmyy; the operator gets them back
    // as dd/mm/yy once the command is sent.
    Reescreve(Ini, DataSeisDigitos(Ini->text()));
    Reescreve(Fim, DataSeisDigitos(Fim->text()));
    Abre(Porta);
    const std::string comando = ".16" + ParaDriver(Ini->text()) + ParaDriver(Fim->text());
    int16_t resultado = 0;
    if (noArquivo) {
        resultado = EnviaComando(Porta, 100, comando + "#");
    } else {
        EnviaComando(Porta, 1000, comando);
        Fecha(Porta);
    }
    Reescreve(Ini, NormalizaData(Ini->text()));
    Reescreve(Fim, NormalizaData(Fim->text()));
    Resultado();
    if (!noArquivo) return;
    if (BlocoEntregue(resultado)) GravaLeitura();
    Fecha(Porta);
}

std::string Form1::DadosBloco() const {
    if (Resposta.size() < 7) return {};
    const std::size_t fim = Resposta.find('}', 6);
    return Resposta.substr(6, fim == std::string::npos ? std::string::npos : fim - 6);
}

void Form1::GravaLeitura() {
    // The blocks go to a file beside LeitM.txt that takes its place only
    // once the printer has handed out the last one: a reading cut short
    // leaves the previous file exactly as it was. Bytes are written as the
    // printer sent them, each line ending CR LF.
    const QString naoGravou = QStringLiteral("Não foi possível gravar o arquivo %1").arg(QLatin1String(kArquivoLeitura));
    QSaveFile arquivo(QString::fromLatin1(kArquivoLeitura));
    if (!arquivo.open(QIODevice::WriteOnly)) {
        Text3->setText(naoGravou);
        Text3->Repinta();
        return;
    }
    for (;;) {
        std::string linha = DadosBloco();
        linha += "\r\n";
        if (arquivo.write(linha.data(), static_cast<qint64>(linha.size())) != static_cast<qint64>(linha.size())) {
            arquivo.cancelWriting();
            Text3->setText(naoGravou);
            Text3->Repinta();
            return;
        }
        if (Status == "]") break;
        const int16_t resultado = EnviaComando(Porta, 100, ".++");
        Resultado();
        // Text3 keeps the answer that ended the reading.
        if (!BlocoEntregue(resultado)) return;
        if (Status == "]") break;
    }
    if (!arquivo.commit()) {
        Text3->setText(naoGravou);
        Text3->Repinta();
        return;
    }
    Text3->setText(QStringLiteral("Arquivo LeitM.txt gravado"));
    Text3->Repinta();
}

}  // namespace tavorin
