#include "SkinUI/render/ZipArchive.h"

#include <unzip.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace SkinUI {

struct CZipArchive::MemoryStream {
    const unsigned char* data;
    ZPOS64_T size;
    ZPOS64_T position;
};

namespace {

// Pass: the zip reader's file access, through the platform's file API.

voidpf OpenWin32File(voidpf, const void* filename, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    HANDLE file = CreateFileW(static_cast<LPCWSTR>(filename), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

uLong ReadWin32File(voidpf, voidpf stream, void* buf, uLong size)
{
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(stream), buf, static_cast<DWORD>(size), &read, nullptr))
        return 0;
    return read;
}

uLong WriteNothing(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T TellWin32File(voidpf, voidpf stream)
{
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(static_cast<HANDLE>(stream), zero, &position, FILE_CURRENT))
        return static_cast<ZPOS64_T>(-1);
    return static_cast<ZPOS64_T>(position.QuadPart);
}

long SeekWin32File(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    DWORD method = FILE_BEGIN;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        method = FILE_CURRENT;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        method = FILE_END;
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(static_cast<HANDLE>(stream), distance, nullptr, method) ? 0 : -1;
}

int CloseWin32File(voidpf, voidpf stream)
{
    return CloseHandle(static_cast<HANDLE>(stream)) ? 0 : -1;
}

int NoError(voidpf, voidpf)
{
    return 0;
}

// Pass: the same over a memory block; the opaque pointer is the stream.

voidpf OpenMemoryStream(voidpf opaque, const void*, int mode)
{
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    return opaque;
}

uLong ReadMemoryStream(voidpf, voidpf stream, void* buf, uLong size)
{
    auto* memory = static_cast<CZipArchive::MemoryStream*>(stream);
    ZPOS64_T left = memory->position < memory->size ? memory->size - memory->position : 0;
    ZPOS64_T count = size < left ? size : left;
    memcpy(buf, memory->data + memory->position, static_cast<size_t>(count));
    memory->position += count;
    return static_cast<uLong>(count);
}

ZPOS64_T TellMemoryStream(voidpf, voidpf stream)
{
    return static_cast<CZipArchive::MemoryStream*>(stream)->position;
}

long SeekMemoryStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* memory = static_cast<CZipArchive::MemoryStream*>(stream);
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = memory->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = memory->size;
    // Offsets are unsigned here: a move backwards from the end wraps round.
    ZPOS64_T target = base + offset;
    if (target > memory->size)
        return -1;
    memory->position = target;
    return 0;
}

int CloseMemoryStream(voidpf, voidpf)
{
    return 0;
}

// Compares an entry name with a wanted name, ignoring case and treating
// both separators alike.
bool SameEntryName(const std::wstring& entry, LPCWSTR wanted)
{
    size_t i = 0;
    for (; i < entry.size() && wanted[i]; ++i) {
        wint_t a = entry[i] == L'\\' ? L'/' : towlower(static_cast<wint_t>(entry[i]));
        wint_t b = wanted[i] == L'\\' ? L'/' : towlower(static_cast<wint_t>(wanted[i]));
        if (a != b)
            return false;
    }
    return i == entry.size() && wanted[i] == L'\0';
}

std::wstring DecodeEntryName(const char* name)
{
    int needed = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::vector<WCHAR> wide(static_cast<size_t>(needed));
    MultiByteToWideChar(CP_UTF8, 0, name, -1, wide.data(), needed);
    return std::wstring(wide.data());
}

} // namespace

CZipArchive::CZipArchive(void* unz, MemoryStream* stream) : m_unz(unz), m_stream(stream) {}

CZipArchive::~CZipArchive()
{
    unzClose(static_cast<unzFile>(m_unz));
    delete m_stream;
}

CZipArchive* CZipArchive::OpenFile(LPCWSTR path)
{
    if (!path)
        return nullptr;
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenWin32File;
    functions.zread_file = ReadWin32File;
    functions.zwrite_file = WriteNothing;
    functions.ztell64_file = TellWin32File;
    functions.zseek64_file = SeekWin32File;
    functions.zclose_file = CloseWin32File;
    functions.zerror_file = NoError;
    unzFile unz = unzOpen2_64(path, &functions);
    if (!unz)
        return nullptr;
    return new CZipArchive(unz, nullptr);
}

CZipArchive* CZipArchive::OpenMemory(const void* data, size_t size)
{
    if (!data)
        return nullptr;
    auto* stream = new MemoryStream{static_cast<const unsigned char*>(data), size, 0};
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenMemoryStream;
    functions.zread_file = ReadMemoryStream;
    functions.zwrite_file = WriteNothing;
    functions.ztell64_file = TellMemoryStream;
    functions.zseek64_file = SeekMemoryStream;
    functions.zclose_file = CloseMemoryStream;
    functions.zerror_file = NoError;
    functions.opaque = stream;
    // The reader wants a file name; any non-null text will do.
    unzFile unz = unzOpen2_64("membuffer", &functions);
    if (!unz) {
        delete stream;
        return nullptr;
    }
    return new CZipArchive(unz, stream);
}

bool CZipArchive::FindEntry(LPCWSTR name, ULONGLONG* uncompressedSize)
{
    if (!name)
        return false;
    auto unz = static_cast<unzFile>(m_unz);
    char entryName[1024];
    for (int status = unzGoToFirstFile(unz); status == UNZ_OK; status = unzGoToNextFile(unz)) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(unz, &info, entryName, sizeof(entryName), nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (SameEntryName(DecodeEntryName(entryName), name)) {
            *uncompressedSize = info.uncompressed_size;
            return true;
        }
    }
    return false;
}

DWORD CZipArchive::Unzip(void* buffer, DWORD size)
{
    auto unz = static_cast<unzFile>(m_unz);
    if (unzOpenCurrentFile(unz) != UNZ_OK)
        return ZR_FAILED;
    auto* out = static_cast<unsigned char*>(buffer);
    DWORD filled = 0;
    while (filled < size) {
        int read = unzReadCurrentFile(unz, out + filled, size - filled);
        if (read < 0) {
            unzCloseCurrentFile(unz);
            return ZR_FAILED;
        }
        if (read == 0)
            break;
        filled += static_cast<DWORD>(read);
    }
    if (filled < size) {
        // The entry was shorter than its directory said.
        unzCloseCurrentFile(unz);
        return ZR_FAILED;
    }
    unsigned char probe;
    int more = unzReadCurrentFile(unz, &probe, 1);
    if (more > 0) {
        unzCloseCurrentFile(unz);
        return ZR_MORE;
    }
    // Closing checks the CRC of a completely read entry.
    if (more < 0 || unzCloseCurrentFile(unz) != UNZ_OK)
        return ZR_FAILED;
    return ZR_OK;
}

} // namespace SkinUI
