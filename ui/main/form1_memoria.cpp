// Reading of the fiscal memory, printed or saved as LeitM.txt.
#include "form1.h"

#include "caixa_texto.h"
#include "operacoes.h"
#include "pergunta.h"
#include "regras_entrada.h"
#include "sala.h"
#include "texto8.h"

#include <QMessageBox>
#include <QRadioButton>
#include <QShortcut>

namespace tavorin {

namespace {

// Writes the program's own text into a range box, whole even past the
// typing limit ("-7" becomes "-0007"); an unchanged text is left alone so
// the operator's cursor stays where it was.
void Reescreve(CaixaTexto* caixa, const QString& texto) {
    if (caixa->text() != texto) caixa->setText(texto);
}

}  // namespace

void Form1::Porredu_Click() {
    Reescreve(Ini, QLatin1String(LimitesPadrao(Faixa::Reducoes).inicio));
    Reescreve(Fim, QLatin1String(LimitesPadrao(Faixa::Reducoes).fim));
}

void Form1::Pordata_Click() {
    Ini->PoeLimite(10);
    Fim->PoeLimite(10);
    Reescreve(Ini, QLatin1String(LimitesPadrao(Faixa::Datas).inicio));
    Reescreve(Fim, QLatin1String(LimitesPadrao(Faixa::Datas).fim));
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
    Sala& sala = Sala::Instancia();
    if (!sala.Aceita()) return;
    const bool noArquivo = NoArq->isChecked();
    const bool porData = Pordata->isChecked();
    if (porData)
        Text3->setText(noArquivo ? QStringLiteral("Leitura por Data em Arquivo ...")
                                 : QStringLiteral("Leitura por Data..."));
    else
        Text3->setText(noArquivo ? QStringLiteral("Leitura por Redução em Arquivo ...")
                                 : QStringLiteral("Leitura por Redução..."));
    Text3->Repinta();
    if (porData) {
        // The printer takes the dates as ddmmyy; the operator gets them
        // back as dd/mm/yy once the command is answered.
        Reescreve(Ini, DataSeisDigitos(Ini->text()));
        Reescreve(Fim, DataSeisDigitos(Fim->text()));
    }
    AoLer ao;
    ao.aposComando = Sala::NaJanela([this, porData](const Desfecho& desfecho) {
        if (porData) {
            Reescreve(Ini, NormalizaData(Ini->text()));
            Reescreve(Fim, NormalizaData(Fim->text()));
        }
        Resultado(desfecho);
    });
    // Text3 shows each block's answer as it arrives, and keeps the answer
    // that ended a reading cut short.
    ao.aposBloco = Sala::NaJanela([this](int, const Desfecho& desfecho) { Resultado(desfecho); });
    ao.aoGravar = Sala::NaJanela([this](Gravacao gravacao) {
        if (gravacao == Gravacao::Interrompida) return;
        Text3->setText(gravacao == Gravacao::Gravada
                           ? QStringLiteral("Arquivo %1 gravado").arg(QLatin1String(kArquivoLeitura))
                           : QStringLiteral("Não foi possível gravar o arquivo %1").arg(QLatin1String(kArquivoLeitura)));
        Text3->Repinta();
    });
    // Between two blocks the operator may stop it (Esc or closing asks).
    ao.interromper = [this] { return interromper_.load(); };
    const Comando comando = ComandoLeitura(porData ? Faixa::Datas : Faixa::Reducoes, ParaDriver(Ini->text()),
                                           ParaDriver(Fim->text()), noArquivo);
    const std::string arquivo = noArquivo ? kArquivoLeitura : std::string();
    interromper_ = false;
    lendoArquivo_ = noArquivo;
    Esc->setEnabled(noArquivo);
    const auto leitura = sala.Executa(this, [comando, arquivo, ao] { return LeMemoria(comando, arquivo, ao); });
    lendoArquivo_ = false;
    Esc->setEnabled(false);
    if (leitura && !leitura->gravacao && !leitura->motivo.empty()) {
        // A file the program will not write over: nothing was sent, and
        // the dates read as dates again.
        if (porData) {
            Reescreve(Ini, NormalizaData(Ini->text()));
            Reescreve(Fim, NormalizaData(Fim->text()));
        }
        Text3->setText(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                           .arg(QLatin1String(kArquivoLeitura), QString::fromStdString(leitura->motivo)));
    } else if (leitura && leitura->interrompida) {
        Text3->setText(QStringLiteral("Leitura interrompida: %1 não foi alterado").arg(QLatin1String(kArquivoLeitura)));
    } else if (leitura && leitura->gravacao == Gravacao::Interrompida) {
        // Cut short by the printer or the driver, or past what a fiscal
        // memory holds: the previous file stays, and the operator is told
        // so, with what ended it (an answer line with "+" is no success
        // when the driver failed).
        const Desfecho& ultima = leitura->ultima;
        const QString motivo = !leitura->motivo.empty()                ? QString::fromStdString(leitura->motivo)
                               : ultima.classe == Classe::SemResposta ? QStringLiteral("sem resposta da impressora")
                                                                      : TextoDoResultado(ultima);
        Text3->setText(QStringLiteral("Leitura interrompida, %1 não foi substituído: %2")
                           .arg(QLatin1String(kArquivoLeitura), motivo));
        Text3->Repinta();
    }
}

void Form1::Interrompe_Leitura() {
    if (lendoArquivo_ && !interromper_) PerguntaInterrupcao();
}

bool Form1::PerguntaInterrupcao() {
    if (pergunta_) return false;
    // The question has no object once the reading is over: withdrawn then.
    Sala& sala = Sala::Instancia();
    const QMetaObject::Connection retira = connect(&sala, &Sala::Terminou, this, [this] {
        if (pergunta_) pergunta_->reject();
    });
    const bool sim = Pergunta(this, QStringLiteral("Leitura da Memória Fiscal"),
                              QStringLiteral("Interromper a leitura da memória fiscal?\n\nO arquivo %1 fica como estava.")
                                  .arg(QLatin1String(kArquivoLeitura)),
                              &pergunta_);
    disconnect(retira);
    if (sim && sala.Ocupada()) interromper_ = true;
    return sim && sala.Ocupada();
}

}  // namespace tavorin
