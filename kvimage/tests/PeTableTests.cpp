// The export table of KvImage.dll and the import tables around it, read from the loaded images.
#include <windows.h>

#include <KvImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int index)
{
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[index];
}

template <typename T> const T* At(HMODULE module, DWORD rva)
{
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct ImportedDll {
    std::string name;
    std::vector<DWORD> thunks;  // the lookup entries: ordinal flag plus ordinal, or a name's RVA
};

std::vector<ImportedDll> Imports(HMODULE module)
{
    std::vector<ImportedDll> dlls;
    const IMAGE_DATA_DIRECTORY& dir = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (dir.VirtualAddress == 0) return dlls;
    for (auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress); d->Name != 0; ++d) {
        ImportedDll dll{At<char>(module, d->Name), {}};
        const DWORD lookup = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        for (auto* t = At<IMAGE_THUNK_DATA32>(module, lookup); t->u1.Ordinal != 0; ++t)
            dll.thunks.push_back(t->u1.Ordinal);
        dlls.push_back(dll);
    }
    return dlls;
}

HMODULE KvImageModule()
{
    return ::GetModuleHandleA("KvImage.dll");
}

}  // namespace

TEST(PeTables, DllExportsOrdinals2And3WithoutNames)
{
    const HMODULE dll = KvImageModule();
    ASSERT_NE(dll, nullptr);
    const FARPROC byOrdinal = ::GetProcAddress(dll, MAKEINTRESOURCEA(2));
    EXPECT_NE(byOrdinal, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(byOrdinal), reinterpret_cast<void*>(&DecodeJpgToDib));
    EXPECT_NE(::GetProcAddress(dll, MAKEINTRESOURCEA(KVIMAGE_ORDINAL_DECODE_SCALED)), nullptr);
    for (const char* name : {"DecodeJpgToDib", "DecodeJpgToDib@16", "_DecodeJpgToDib@16",
                             "DecodeJpgToDibScaled", "DecodeJpgToDibScaled@20"})
        EXPECT_EQ(::GetProcAddress(dll, name), nullptr) << name;
    EXPECT_EQ(::GetProcAddress(dll, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(::GetProcAddress(dll, MAKEINTRESOURCEA(4)), nullptr);

    const IMAGE_DATA_DIRECTORY& dir = Directory(dll, IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(dir.VirtualAddress, 0u);
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(dll, dir.VirtualAddress);
    EXPECT_EQ(exports->Base, 2u);
    EXPECT_EQ(exports->NumberOfFunctions, 2u);
    EXPECT_EQ(exports->NumberOfNames, 0u);
    EXPECT_STREQ(At<char>(dll, exports->Name), "KvImage.dll");
}

TEST(PeTables, DllImportsOnlySystemDlls)
{
    const HMODULE dll = KvImageModule();
    ASSERT_NE(dll, nullptr);
    std::vector<std::string> names;
    for (const ImportedDll& d : Imports(dll))
        names.push_back(Lower(d.name));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"kernel32.dll", "msvcrt.dll"}));
}

TEST(PeTables, ProgramBindsKvImageByOrdinal2)
{
    int found = 0;
    for (const ImportedDll& d : Imports(::GetModuleHandleA(nullptr))) {
        if (Lower(d.name) != "kvimage.dll") continue;
        ++found;
        ASSERT_EQ(d.thunks.size(), 1u);
        EXPECT_TRUE(IMAGE_SNAP_BY_ORDINAL32(d.thunks[0]));
        EXPECT_EQ(IMAGE_ORDINAL32(d.thunks[0]), 2u);
    }
    EXPECT_EQ(found, 1);
}
