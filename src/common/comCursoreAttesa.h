#pragma once

// The wait cursor while a database statement waits for another program's
// lock: the window cannot answer meanwhile, and the cursor says why.
namespace comCursoreAttesa {

// Makes the data layer show the wait cursor from the start of every wait
// for a lock to its end (platform::Connection::setBusyListener). Called
// once at start-up, after the application object exists.
void Installa();

} // namespace comCursoreAttesa
