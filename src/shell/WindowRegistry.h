#pragma once

#include "platform/base/Variant.h"

#include <QString>

#include <functional>

// The windows the main window opens by name (record windows, report
// dialogs), which live in higher layers: the program registers them at
// start-up and the shell reaches them through here. A window nobody
// registered is not opened.
namespace WindowRegistry {

// What a registered window can do. Each function makes its own fresh
// window (or uses the report dialog's shared one) for that one call; an
// empty function means the window does not offer that command.
struct Voce
{
    // An empty record window.
    std::function<void()> Nuovo;
    // The record window of the record whose key is given.
    std::function<void(const platform::Variant &key)> Apri;
    // The report dialog, given the device name of the printer to use.
    std::function<void(const QString &printerName)> Stampa;
};

// Registers (or replaces) the window with that name.
void Registra(const QString &nome, Voce voce);
// Forgets the window with that name; every window when nome is empty.
void Rimuovi(const QString &nome = {});
bool Registrata(const QString &nome);

// Opens the window with that name through its command; false, and nothing
// happens, when it is not registered or does not offer the command.
bool Nuovo(const QString &nome);
bool Apri(const QString &nome, const platform::Variant &key);
bool Stampa(const QString &nome, const QString &printerName);

// The main window's refresh (frmMain.SetLay), which the windows of every
// layer call after they change the database. The main window sets it; with
// none set the call does nothing.
void ImpostaAggiornaPrincipale(std::function<void()> aggiorna);
void AggiornaPrincipale();

} // namespace WindowRegistry
