#pragma once

#include <QString>

class QDialog;
class QFrame;
class QWidget;

// The program's own modal prompt: a dimmed layer over the whole main window
// with a small white card. The caller passes text it has already looked up.

// Message form: one OK button; returns when the prompt is closed.
void showPromptMessage(QWidget *parent, const QString &text);
// Confirmation form: Cancel and OK; true only when OK was clicked.
bool showPromptConfirm(QWidget *parent, const QString &text);

// Building blocks of both forms.
QDialog *createPromptOverlay(QWidget *parent);
QFrame *createPromptCard(QDialog *overlay, const QString &text);
