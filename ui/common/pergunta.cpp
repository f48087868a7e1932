#include "pergunta.h"

#include <QMessageBox>
#include <QPushButton>

namespace tavorin {

bool Pergunta(QWidget* pai, const QString& titulo, const QString& texto, QPointer<QMessageBox>* aberta) {
    QMessageBox caixa(QMessageBox::Question, titulo, texto, QMessageBox::NoButton, pai);
    caixa.setObjectName(QStringLiteral("Pergunta"));
    QPushButton* sim = caixa.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
    QPushButton* nao = caixa.addButton(QStringLiteral("&Não"), QMessageBox::NoRole);
    sim->setObjectName(QStringLiteral("Sim"));
    nao->setObjectName(QStringLiteral("Nao"));
    caixa.setDefaultButton(nao);
    caixa.setEscapeButton(nao);
    if (aberta) *aberta = &caixa;
    caixa.exec();
    if (aberta) *aberta = nullptr;
    return caixa.clickedButton() == sim;
}

}  // namespace tavorin
