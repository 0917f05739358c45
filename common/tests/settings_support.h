// Registry fixtures for the settings tests, written and read with the plain registry API so that
// the checks do not go through the code under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "KvLogCapture.h"
#include "KvTestRegistry.h"

// Deletes the whole settings key with everything below it.
void DeleteSettingsKey();

// Sets one raw value below the settings root (`subkey` may be empty for the root itself).
void SetRawValue(const char* subkey, const char* valueName, DWORD type, const std::string& data);
// Reads one raw value; false when it is absent.
bool QueryRawValue(const char* subkey, const char* valueName, DWORD& type, std::string& data);

// Raw value data.
using testsupport::DwordData;
using testsupport::TextData;

// The log sent to a file for the lifetime of the object.
using testsupport::LogCapture;

// A fixture that starts and ends every test with no settings key.
class SettingsKeyTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { DeleteSettingsKey(); }
};
