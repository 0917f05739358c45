// Root class, exceptions and message table of the library.
#pragma once

#include <exception>
#include <string>

// Root of every object a collection may own: it frees them through this virtual destructor.
class TxObject {
public:
    TxObject() = default;
    TxObject(const TxObject&) = default;
    TxObject& operator=(const TxObject&) = default;
    virtual ~TxObject() = default;
};

// The framework exception class: a message text and a help context.
class TxException : public std::exception {
public:
    explicit TxException(const char* message) : m_sMessage(message ? message : "") {}
    const char* what() const noexcept override { return m_sMessage.c_str(); }
    const char* Message() const noexcept { return m_sMessage.c_str(); }
    int HelpContext() const noexcept { return m_iHelpContext; }

private:
    std::string m_sMessage;
    int m_iHelpContext = 0;
};

// The library's one thrown exception.
class ExNormal : public TxException {
public:
    explicit ExNormal(const char* message) : TxException(message) {}
    unsigned m_dwReserved = 0;
};

// Defined for the critical variant of ThrowTxException, which no caller requests.
class ExCritical : public TxException {
public:
    explicit ExCritical(const char* message) : TxException(message) {}
    unsigned m_dwReserved = 0;
};

class TxString;

// Slots of g_TxMessages.
enum TxMessageId {
    TXMSG_INTERNAL = 0,
    TXMSG_INDEX_OUT_OF_RANGE = 1,
    TXMSG_SIZE_OVERFLOW = 2,
    TXMSG_NO_MEMORY = 3,
    TXMSG_READ_ERROR = 4,
    TXMSG_WRITE_ERROR = 5,
    TXMSG_SEEK_ERROR = 6,
    TXMSG_COUNT = 7
};

// The library's message table, complete before any library operation can throw.
const TxString& TxMessage(TxMessageId id);
void TxLibInitialize();
void TxSetDefaultMessages();

// The system text of an error code: FormatMessageA ignoring inserts, or a fallback naming the code.
std::string TxSystemErrorText(unsigned long error);

// Throws ExNormal (or ExCritical) with the system text of `error`; returns quietly when it is 0.
// Callers capture GetLastError() right after the failing call, before anything else can change it.
void ThrowTxException(bool critical, unsigned long error);
// The form the library's callers use: reads GetLastError() itself.
void ThrowTxException(bool critical);

// Throws ExNormal with a library message; file messages are filled in with the file name.
[[noreturn]] void ThrowTxMessage(TxMessageId id, const char* fileName = nullptr);
