// The exceptions, the message table and the system error texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <type_traits>

#include "KvTestSupport.h"
#include "UTxBase.h"
#include "UTxStrings.h"

static_assert(std::is_base_of_v<std::exception, TxException>);
static_assert(std::is_base_of_v<TxException, ExNormal>);
static_assert(std::is_base_of_v<TxException, ExCritical>);

TEST(TxException, MessageTable)
{
    const char* const texts[TXMSG_COUNT] = {
        "Internal exception occured. Please read the Troubleshooting chapter in Help.",
        "Collection index out of range.",
        "Collection size overflow.",
        "Not enough memory for collection.",
        "Error reading file %s.",
        "Error writing to file %s.",
        "Error seeking in file %s.",
    };
    for (int i = 0; i < TXMSG_COUNT; ++i)
        EXPECT_STREQ(TxMessage(static_cast<TxMessageId>(i)).GetText(), texts[i]);
    TxLibInitialize();  // a second call changes nothing
    for (int i = 0; i < TXMSG_COUNT; ++i)
        EXPECT_STREQ(TxMessage(static_cast<TxMessageId>(i)).GetText(), texts[i]);
}

TEST(TxException, FileMessagesCarryTheName)
{
    struct Case {
        TxMessageId id;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {TXMSG_READ_ERROR, "C:\\data\\a.dat", "Error reading file C:\\data\\a.dat."},
        {TXMSG_WRITE_ERROR, "C:\\data\\a.dat", "Error writing to file C:\\data\\a.dat."},
        {TXMSG_SEEK_ERROR, "C:\\data\\a.dat", "Error seeking in file C:\\data\\a.dat."},
        // A name holding a format sequence is text, never a format.
        {TXMSG_READ_ERROR, "C:\\100%s%n.dat", "Error reading file C:\\100%s%n.dat."},
        {TXMSG_INDEX_OUT_OF_RANGE, "ignored", "Collection index out of range."},
    };
    for (const auto& c : cases) {
        try {
            ThrowTxMessage(c.id, c.name);
            ADD_FAILURE() << "nothing thrown";
        } catch (const ExNormal& e) {
            EXPECT_STREQ(e.what(), c.expected);
        }
    }
}

TEST(TxException, ThrowsTheSystemTextOrNothing)
{
    ::SetLastError(0);
    EXPECT_NO_THROW(ThrowTxException(false));
    EXPECT_NO_THROW(ThrowTxException(false, 0));

    for (DWORD error : {static_cast<DWORD>(ERROR_ACCESS_DENIED), static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
                        static_cast<DWORD>(ERROR_SHARING_VIOLATION)}) {
        ::SetLastError(error);
        try {
            ThrowTxException(false);
            ADD_FAILURE() << "nothing thrown for " << error;
        } catch (const ExNormal& e) {
            EXPECT_EQ(std::string(e.Message()), testsupport::SystemErrorText(error));
            EXPECT_EQ(e.HelpContext(), 0);
        }
    }
    EXPECT_THROW(ThrowTxException(true, ERROR_ACCESS_DENIED), ExCritical);
    EXPECT_THROW(ThrowTxException(false, ERROR_ACCESS_DENIED), TxException);
}

TEST(TxException, SystemTextIgnoresInsertsAndHasAFallback)
{
    // Messages with %1-style inserts come back with the inserts left in place, not read as arguments.
    for (DWORD error = 1; error < 2000; ++error) {
        const std::string expected = testsupport::SystemErrorText(error);
        if (!expected.empty()) {
            EXPECT_EQ(TxSystemErrorText(error), expected) << error;
        }
    }
    EXPECT_EQ(TxSystemErrorText(0x2000FFFFu), "System error 536936447");
}
