#pragma once

#include <QString>

class QDialog;
class QFrame;
class QWidget;

// The program's own modal prompt: a dimmed layer over the whole main window
// with a small white card. The caller passes text it has already looked up.

// Message form: one OK button; returns when the prompt is closed.
void showPromptMessage(QWidget *parent, const QString &text);
// The button Enter presses in the confirmation form, also the one drawn
// highlighted. A prompt that guards a deletion makes it Cancel, so that a
// hurried Enter deletes nothing.
enum class PromptDefault { Ok, Cancel };

// Confirmation form: Cancel and OK; true only when OK was clicked.
bool showPromptConfirm(QWidget *parent, const QString &text,
                       PromptDefault defaultButton = PromptDefault::Ok);

// Building blocks of both forms.
QDialog *createPromptOverlay(QWidget *parent);
QFrame *createPromptCard(QDialog *overlay, const QString &text);
