// The library's message table and the routines that turn failures into ExNormal.
#include "UTxBase.h"

#include <windows.h>

#include <cstdio>

#include "UTxLog.h"
#include "UTxStrings.h"
#include "UTxUtils.h"

namespace {

// A function-local table is built on first use, so a library operation that throws during another
// translation unit's static initialisation still finds its texts.
TxString* MessageTable()
{
    static TxString table[TXMSG_COUNT];
    return table;
}

bool g_bTxLibInitialized = false;

// Runs the one-time set-up at program start; TxMessage runs it too, whichever comes first.
struct TxLibInitializer {
    TxLibInitializer() { TxLibInitialize(); }
};
TxLibInitializer g_TxLibInitializer;

}  // namespace

void TxSetDefaultMessages()
{
    static const char* const kTexts[TXMSG_COUNT] = {
        "Internal exception occured. Please read the Troubleshooting chapter in Help.",
        "Collection index out of range.",
        "Collection size overflow.",
        "Not enough memory for collection.",
        "Error reading file %s.",
        "Error writing to file %s.",
        "Error seeking in file %s.",
    };
    TxString* table = MessageTable();
    for (int i = 0; i < TXMSG_COUNT; ++i)
        table[i].Assign(kTexts[i]);
}

void TxLibInitialize()
{
    if (g_bTxLibInitialized) return;
    g_bTxLibInitialized = true;
    TxSetDefaultMessages();
}

const TxString& TxMessage(TxMessageId id)
{
    TxLibInitialize();
    if (id < 0 || id >= TXMSG_COUNT) id = TXMSG_INTERNAL;
    return MessageTable()[id];
}

std::string TxSystemErrorText(unsigned long error)
{
    // Without IGNORE_INSERTS a message holding %1 would make FormatMessage read missing arguments.
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0x400, reinterpret_cast<char*>(&buffer), 0, nullptr);
    LocalBlock owner(buffer);
    if (length == 0 || buffer == nullptr) {
        char fallback[40];
        std::snprintf(fallback, sizeof fallback, "System error %lu", error);
        return fallback;
    }
    return std::string(buffer, length);
}

void ThrowTxException(bool critical, unsigned long error)
{
    if (error == 0) return;
    const std::string text = TxSystemErrorText(error);
    LogF("Throwing exception: %s", text.c_str());
    if (critical) throw ExCritical(text.c_str());
    throw ExNormal(text.c_str());
}

void ThrowTxException(bool critical)
{
    const DWORD error = ::GetLastError();
    ThrowTxException(critical, error);
}

void ThrowTxMessage(TxMessageId id, const char* fileName)
{
    // File messages carry one %s for the name; it is filled in by hand so no table text is ever
    // used as a format.
    std::string text = TxMessage(id).GetText();
    const std::string::size_type at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, fileName ? fileName : "");
    throw ExNormal(text.c_str());
}
