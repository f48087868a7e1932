#include "operador.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace tavorin::teste {

bool MostraEAtiva(QWidget* janela) {
    janela->show();
    janela->activateWindow();
    QApplication::setActiveWindow(janela);
    return QTest::qWaitForWindowActive(janela);
}

void Clica(QWidget* controle) {
    QTest::mouseClick(controle, Qt::LeftButton, Qt::NoModifier, controle->rect().center());
}

void Digita(QLineEdit* caixa, const QString& texto) {
    Clica(caixa);
    caixa->end(false);
    QTest::keyClicks(caixa, texto);
}

void Substitui(QLineEdit* caixa, const QString& texto) {
    Clica(caixa);
    caixa->selectAll();
    if (texto.isEmpty())
        QTest::keyClick(caixa, Qt::Key_Delete);
    else
        QTest::keyClicks(caixa, texto);
}

void Tab(QWidget* janela) {
    QWidget* foco = janela->focusWidget() ? janela->focusWidget() : janela;
    QTest::keyClick(foco, Qt::Key_Tab);
}

QString Texto(const QWidget* janela, const char* nome) {
    if (auto* caixa = Controle<QLineEdit>(janela, nome)) return caixa->text();
    if (auto* botao = Controle<QAbstractButton>(janela, nome)) return botao->text();
    return QStringLiteral("<no control %1>").arg(QString::fromLatin1(nome));
}

QColor CorDoTexto(const QLineEdit* caixa) { return caixa->palette().color(QPalette::Active, QPalette::Text); }

}  // namespace tavorin::teste
