#include "shell/WindowRegistry.h"

#include <map>

namespace WindowRegistry {

namespace {

std::map<QString, Voce> &voci()
{
    static std::map<QString, Voce> registered;
    return registered;
}

const Voce *trova(const QString &nome)
{
    const auto it = voci().find(nome);
    return it == voci().end() ? nullptr : &it->second;
}

std::function<void()> &aggiornamento()
{
    static std::function<void()> aggiorna;
    return aggiorna;
}

} // namespace

void Registra(const QString &nome, Voce voce)
{
    voci()[nome] = std::move(voce);
}

void Rimuovi(const QString &nome)
{
    if (nome.isEmpty())
        voci().clear();
    else
        voci().erase(nome);
}

bool Registrata(const QString &nome)
{
    return trova(nome) != nullptr;
}

bool Nuovo(const QString &nome)
{
    const Voce *voce = trova(nome);
    if (!voce || !voce->Nuovo)
        return false;
    // A copy: the window opened may register or remove windows itself.
    const auto call = voce->Nuovo;
    call();
    return true;
}

bool Apri(const QString &nome, const platform::Variant &key)
{
    const Voce *voce = trova(nome);
    if (!voce || !voce->Apri)
        return false;
    const auto call = voce->Apri;
    call(key);
    return true;
}

bool Stampa(const QString &nome, const QString &printerName)
{
    const Voce *voce = trova(nome);
    if (!voce || !voce->Stampa)
        return false;
    const auto call = voce->Stampa;
    call(printerName);
    return true;
}

void ImpostaAggiornaPrincipale(std::function<void()> aggiorna)
{
    aggiornamento() = std::move(aggiorna);
}

void AggiornaPrincipale()
{
    // A copy: the refresh may replace the handler (a new main window).
    const auto aggiorna = aggiornamento();
    if (aggiorna)
        aggiorna();
}

} // namespace WindowRegistry
