#pragma once

#include "platform/base/Currency.h"

#include <optional>

// The price arithmetic of an article: from the cost and the mark-up, from a
// typed gross or net price, or from a new VAT rate, the other amounts
// follow. Rates are percentages; `Aliquota` is the VAT amount of the price.
// VAT amounts are rounded to currency (four decimals, ties to even), every
// other amount stays an unrounded double. A step that cannot be carried out
// (a zero divisor, an amount beyond the currency range) answers nullopt:
// the amounts then stay as they are. A mark-up of -100 on an article
// without a cost gives no cost: the other amounts still follow.
namespace CalcoloPrezzi {

struct Prezzi
{
    double costo = 0;
    double ricarico = 0;
    double prezzo = 0;
    double aliquota = 0;
    double prezzoIvato = 0;
};

// After the cost or the mark-up: the net price from them, then the VAT
// and the gross price.
std::optional<Prezzi> DopoCosto(Prezzi prezzi, platform::Currency rate);
// After the gross price: the net price and the VAT inside it, then the
// cost (when it is 0) or the mark-up.
std::optional<Prezzi> DopoPrezzoIvato(Prezzi prezzi, platform::Currency rate);
// After the net price: the VAT, the cost (when it is 0) or the mark-up,
// and the gross price.
std::optional<Prezzi> DopoPrezzo(Prezzi prezzi, platform::Currency rate);
// After a new VAT rate: the net price stays, the VAT (not rounded) and the
// gross price follow.
Prezzi DopoCambioIVA(Prezzi prezzi, platform::Currency rate);

} // namespace CalcoloPrezzi
