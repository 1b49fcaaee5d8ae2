#pragma once

#include "platform/base/Variant.h"

#include <QString>

// The delete command of the main window, without the window: the question,
// the check that nothing refers to the record, the refusal and the delete.
namespace Eliminazione {

// Deletes the record of the node `codiceNodo` ("iva", "umi", "cat", "art",
// "cli", "for", "mag") whose list row has `chiave` in its first column and
// `colonna2` in its second, after asking the user. A record that something
// still refers to is refused with a message and kept. The checks and the
// deletes of one record run in one write transaction on a connection of
// their own; a database
// error is shown with its description and nothing of the delete is stored.
// Answers true when the record was deleted (the list must be refreshed);
// false for any other node code ("gia" included), a No, a refusal or an
// error. The caller checks beforehand that the list has a record.
bool EliminaRecord(const QString &codiceNodo, const platform::Variant &chiave, const platform::Variant &colonna2);

} // namespace Eliminazione
