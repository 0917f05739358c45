// Picking the next wallpaper: every candidate image gets a text key of how often it was shown, the
// user's preference (\Exchange "RandomSelection") and a random part; the candidates are tried in
// key order until one is readable and fits the size and aspect limits of \Display.
#pragma once

#include <windows.h>

#include <string>

#include "UTxStrings.h"

struct DibHeaderBlock;
struct DisplaySettings;
struct RegistryRecord;

// Values of \Exchange "RandomSelection".
enum SelectionPreference : DWORD {
    SELECT_WITHOUT_PREFERENCES = 0,
    SELECT_PREFER_NEW_IMAGES = 1,
    SELECT_PREFER_SEASON = 2,
};

// Picks the next image and records in the record file that it (and every candidate it passed
// over) was tried. The candidates are tried in key order in batches of a hundred, past the ones the
// limits reject, up to SetSelectionBatchesPerCall batches; an image whose stored size the limits
// reject is passed over without being opened. On true the outputs hold the image's folder, name, date text
// (its EXIF date, else its file date) and stored average colour; on false they are untouched. A cancel
// request ends it with false.
bool FindNextBackgroundImage(const RegistryRecord* record, TxString* folder, TxString* name,
                             TxString* dateText, COLORREF* colour);

// Whether a decoded size meets \Display "MinSize", "MaxSize" (both bounds strict) and "MinRatio"
// (the smaller side in percent of the larger, strictly above it); logs the verdict.
bool MeetsSelectionLimits(const DisplaySettings& display, DWORD width, DWORD height);
// The same verdict without a log line.
bool FitsSelectionLimits(const DisplaySettings& display, DWORD width, DWORD height);

enum class CandidateCheck { Accepted, Unreadable, Rejected };
// Decodes the header of a candidate image (turned by its EXIF orientation when \Display
// "RotateByExif" says so) and checks its size against MeetsSelectionLimits; `exifDate` receives
// its EXIF date, or 0, and `measuredSize` the size it was measured at (PackMeasuredSize), 0 when
// it could not be read.
CandidateCheck CheckCandidate(const DisplaySettings& display, const char* path, DibHeaderBlock& header,
                              FILETIME& exifDate, DWORD& measuredSize);

// ---- Images rejected by their size -------------------------------------------------------------

// A selection keeps the size at which it rejected an image by size or aspect in the image's
// Reserved value (width in the high word, height in the low word; 0 when unknown), so that later
// selections pass over it without opening it while the limits still reject that size. A rescan
// that finds the file changed drops the value. The limits are the same for both sides, so the
// order of width and height (an EXIF turn) does not matter.
// The packed size, or 0 when a side is 0 or does not fit 16 bits (such an image is measured again).
DWORD PackMeasuredSize(DWORD width, DWORD height);
// True when the image's stored size is known and the limits reject it.
bool RejectedByStoredSize(const DisplaySettings& display, DWORD storedSize);

// How many batches of candidates one selection tries at most before it leaves the rest to the next
// call (each batch reads up to a hundred image files); tests set their own. Returns the value it
// replaced.
int SetSelectionBatchesPerCall(int batches);

// Runs the hook that SetSelectionLoadedHook put in, if any: the screen saver's selection calls it
// right after its own load of the record file, as FindNextBackgroundImage does.
void RunSelectionLoadedHook();

// ---- The random part ---------------------------------------------------------------------------

// The selection's own generator (the C runtime's would share its state with the host program):
// the classic linear congruence, 15 bits per draw, seeded afresh for every selection.
class CSelectionRandom {
public:
    explicit CSelectionRandom(unsigned seed) : m_State(seed) {}
    unsigned Next()
    {
        m_State = m_State * 214013u + 2531011u;
        return (m_State >> 16) & 0x7FFFu;
    }
    // The next value modulo n; n must not be 0.
    unsigned NextBelow(unsigned n) { return Next() % n; }

private:
    unsigned m_State;
};

// A seed from the clock: the time in seconds mixed with the performance counter and the tick
// count, so that two changes within one second, or the first change after each log-on, draw
// different numbers.
unsigned ClockSeed();

// Where each selection takes its seed from: ClockSeed unless a test put its own source in.
// Returns the source it replaced; null puts the clock back.
using SelectionSeedSource = unsigned (*)();
SelectionSeedSource SetSelectionSeedSource(SelectionSeedSource source);
unsigned NextSelectionSeed();

// Called by FindNextBackgroundImage right after it loaded the record file; tests use it to change
// the files under a running selection. Returns the hook it replaced.
using SelectionLoadedHook = void (*)();
SelectionLoadedHook SetSelectionLoadedHook(SelectionLoadedHook hook);

// ---- The keys ----------------------------------------------------------------------------------

// Whole days of a file time for the keys: FileTimeToDays clamped to 0..999999, so a damaged time
// can neither widen the key nor turn its date part negative.
DWORD SelectionDay(FILETIME time);

// Season distance in days between today and an image date on a calendar of twelve 30-day months
// (the year ignored): 0 within 29 days, else the distance, at most 180. An image time the system
// cannot convert is neutral: 0.
DWORD SeasonDistance(const SYSTEMTIME& today, FILETIME imageTime);

// What the keys of one selection share.
struct SelectionKeyContext {
    DWORD dwPreference = SELECT_WITHOUT_PREFERENCES;
    DWORD dwMaxDays = 0;  // the newest image's SelectionDay (prefer new images)
    SYSTEMTIME today{};   // the local date (prefer season)
};

// The sort key of one candidate; draws from `random` as the key needs (the date blur first, then
// the four random digits).
std::string BuildSelectionKey(const SelectionKeyContext& context, DWORD shownCount, FILETIME lastWriteTime,
                              CSelectionRandom& random);
// The same written into `key`, which holds kSortKeySize bytes (the longest key is 20 characters);
// returns its length.
size_t BuildSelectionKey(const SelectionKeyContext& context, DWORD shownCount, FILETIME lastWriteTime,
                         CSelectionRandom& random, char* key);
