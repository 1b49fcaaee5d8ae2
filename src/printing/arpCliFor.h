#pragma once

#include "printing/arpElenco.h"

// The address book of the customers or the suppliers: name, place with its
// province, phone, mobile and fax, in groups of the names that begin with
// the same letter, each headed by the letter. The report dialog gives the
// title, the document's names and the SQL of each run.
class arpCliFor : public arpElenco
{
public:
    arpCliFor();

    // The look of the customer and supplier lists: their rule names, and
    // left and right margins of 1.5 cm, so that six columns fit.
    static const DisegnoElenco Disegno;

    // The group of a name: its first character upper-cased, so that
    // "anna", "Andrea" and "alba" share group "A"; "" for a missing name.
    static QString Iniziale(const platform::Variant &nome);

    // Shows or hides the four rules (title, captions, under the letter,
    // closing a group): a spreadsheet has no use for them.
    void MostraRegole(bool mostra);
};
