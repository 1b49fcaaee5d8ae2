#include "records/CalcoloPrezzi.h"

#include "platform/base/RuntimeError.h"

#include <cmath>

using platform::Currency;

namespace CalcoloPrezzi {

namespace {

// An amount rounded to currency; nullopt when it does not fit one.
std::optional<double> Valuta(double amount)
{
    if (!std::isfinite(amount))
        return std::nullopt;
    try {
        return Currency::fromDouble(amount).toDouble();
    } catch (const platform::RuntimeError &) {
        return std::nullopt;
    }
}

// The VAT of a net price at the rate, rounded to currency.
std::optional<double> Iva(double prezzo, Currency rate)
{
    return Valuta(prezzo * rate.toDouble() / 100);
}

// An article without a cost gets it from its mark-up and net price; one
// with a cost gets its mark-up. A mark-up of -100 on a zero cost leaves no
// cost to compute: the cost then stays as it is.
void CostoORicarico(Prezzi &prezzi)
{
    if (prezzi.costo == 0) {
        if (prezzi.ricarico + 100 != 0)
            prezzi.costo = (prezzi.prezzo * 100) / (prezzi.ricarico + 100);
    } else {
        prezzi.ricarico = (100 * prezzi.prezzo) / prezzi.costo - 100;
    }
}

// The amounts when every one of them fits the currency type, as a stored
// amount must; nullopt otherwise.
std::optional<Prezzi> Entro(const Prezzi &prezzi)
{
    for (double amount : {prezzi.costo, prezzi.ricarico, prezzi.prezzo, prezzi.aliquota, prezzi.prezzoIvato})
        if (!Valuta(amount))
            return std::nullopt;
    return prezzi;
}

} // namespace

std::optional<Prezzi> DopoCosto(Prezzi prezzi, Currency rate)
{
    prezzi.prezzo = prezzi.costo * (prezzi.ricarico + 100) / 100;
    const std::optional<double> iva = Iva(prezzi.prezzo, rate);
    if (!iva)
        return std::nullopt;
    prezzi.aliquota = *iva;
    prezzi.prezzoIvato = prezzi.prezzo + *iva;
    return Entro(prezzi);
}

std::optional<Prezzi> DopoPrezzoIvato(Prezzi prezzi, Currency rate)
{
    const Currency divisore = Currency::fromInt(100) + rate;
    if (divisore.raw() == 0)
        return std::nullopt;
    prezzi.prezzo = (100 * prezzi.prezzoIvato) / divisore.toDouble();
    const std::optional<double> iva = Valuta(prezzi.prezzoIvato - prezzi.prezzo);
    if (!iva)
        return std::nullopt;
    CostoORicarico(prezzi);
    prezzi.aliquota = *iva;
    return Entro(prezzi);
}

std::optional<Prezzi> DopoPrezzo(Prezzi prezzi, Currency rate)
{
    const std::optional<double> iva = Iva(prezzi.prezzo, rate);
    if (!iva)
        return std::nullopt;
    CostoORicarico(prezzi);
    prezzi.aliquota = *iva;
    prezzi.prezzoIvato = prezzi.prezzo + *iva;
    return Entro(prezzi);
}

Prezzi DopoCambioIVA(Prezzi prezzi, Currency rate)
{
    prezzi.aliquota = rate.toDouble() * prezzi.prezzo / 100;
    prezzi.prezzoIvato = prezzi.prezzo + prezzi.aliquota;
    return prezzi;
}

} // namespace CalcoloPrezzi
