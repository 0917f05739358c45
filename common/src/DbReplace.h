// Replacing a database file: probing the target first, and clearing what crashed saves left beside it.
#pragma once

// False, with a log line, while another program holds the file open without letting it be replaced
// (deleted or renamed over); true also when the file does not exist yet. Saves of the record and
// string files ask this of both before they replace either, so a held file leaves both unchanged.
bool DbTargetIsReplaceable(const char* path);

// Deletes the temporary files of `target` that a save ended before its commit left behind: only names
// of TxPendingFile's pattern ("<target>.<hex>-<hex>.tmp") whose last write is more than a minute
// old, so the file of a save running now in another program is never touched. Returns how many went.
int DbRemoveStaleTempFiles(const char* target);
