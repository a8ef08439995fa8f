// A zip archive opened for reading, from a file (through the platform's
// file API, so Windows paths work) or from a memory block. Skin files and
// images are looked up in it by name ignoring case and inflated into a
// caller's block.
#pragma once

#include <windows.h>

#include <cstddef>

namespace SkinUI {

// Results of Unzip, as the framework's callers test them.
enum : DWORD {
    ZR_OK = 0x00000000,
    // The block was filled but the entry holds more data.
    ZR_MORE = 0x00000600,
    ZR_FAILED = 0x00000200,
};

class CZipArchive {
public:
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Null when the file cannot be opened or is not a zip archive.
    static CZipArchive* OpenFile(LPCWSTR path);
    // The block must outlive the archive.
    static CZipArchive* OpenMemory(const void* data, size_t size);

    static HANDLE ToHandle(CZipArchive* archive) { return static_cast<HANDLE>(archive); }
    static CZipArchive* FromHandle(HANDLE handle) { return static_cast<CZipArchive*>(handle); }

    // Makes the entry whose name equals name, ignoring case and treating
    // "\" like "/", the current one. Gives its uncompressed size.
    bool FindEntry(LPCWSTR name, ULONGLONG* uncompressedSize);
    // Inflates the current entry into buffer: ZR_OK when the whole entry
    // arrived intact, ZR_MORE when it did not fit, ZR_FAILED otherwise.
    DWORD Unzip(void* buffer, DWORD size);

    // The read position in an archive held in memory.
    struct MemoryStream;

private:
    explicit CZipArchive(void* unz, MemoryStream* stream);

    void* m_unz;
    MemoryStream* m_stream;
};

} // namespace SkinUI
