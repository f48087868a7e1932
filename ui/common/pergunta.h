// A question to the operator before something that cannot be undone.
#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

namespace tavorin {

// Asks `texto` with the buttons "Sim" and "Não" (Alt+S, Alt+N); "Não" is
// the default and Esc answers it. True for "Sim". While the question is
// open, `aberta` points at it, so the caller can withdraw it (answered
// "Não") when it no longer applies.
bool Pergunta(QWidget* pai, const QString& titulo, const QString& texto, QPointer<QMessageBox>* aberta = nullptr);

}  // namespace tavorin
