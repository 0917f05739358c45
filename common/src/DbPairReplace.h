// Replacing the record file and the string file of the image list as one pair.
#pragma once

#include "UDatabase.h"
#include "UTxDiskApi.h"

// A save replaces the pair in this order. A journal beside the record file ("<record file>.journal")
// names both complete temporary files from before the first move until after the last, so a save
// that ends at any step leaves the old pair whole (no journal) or a replacement the next holder of
// the database lock finishes (journal).
enum class DbPairStep {
    StringsWritten,   // the string file's temporary file is flushed and closed
    RecordsWritten,   // the record file's one too
    JournalWritten,   // the journal is in place: the new pair is decided
    StringsReplaced,  // the string file is the new one, the record file still the old one
    RecordsReplaced,  // both are new; the journal is still there
    JournalRemoved    // the replacement is complete
};

// Called at each step of every pair replacement of this process; a test stops a save there. No
// hook (null) is the default.
using DbPairStepHook = void (*)(DbPairStep step);
void SetDbPairStepHook(DbPairStepHook hook);
void ReachDbPairStep(DbPairStep step);

// What a save ended part way left, FinishInterruptedImageListSave (UDatabase.h) finishes.

// Whether a replacement of the pair is pending (its journal exists).
bool DbPairReplacementPending(const char* recordFile);

// Replaces both targets by their pending files, closed (flushed) before: journal, string file,
// record file, journal removed; then the stale temporary files of both targets go. Call it holding
// the database lock, after FinishInterruptedImageListSave. False, logged, when it failed: before
// the first move the old pair stays as it was; after it, the journal stays and the next holder of
// the lock finishes the replacement.
bool DbReplacePair(TxPendingFile& strings, const char* stringFile, TxPendingFile& records,
                   const char* recordFile);
