// Replacing a database file: probing the target first.
#pragma once

// False, with a log line, while another program holds the file open without letting it be replaced
// (deleted or renamed over); true also when the file does not exist yet. Saves of the record and
// string files ask this of both before they replace either, so a held file leaves both unchanged.
bool DbTargetIsReplaceable(const char* path);
