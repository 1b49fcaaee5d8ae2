#pragma once

// Registers the record windows with the window registry, under the names
// the main window opens them by: New and Open of the articles, customers,
// suppliers, VAT codes, units and categories lists.
void RegistraFinestreRecord();
