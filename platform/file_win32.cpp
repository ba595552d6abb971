// Saving and reading whole files with Win32 calls. A save writes a new file
// beside the target and moves it over the old one with MoveFileExW: the C
// library's rename refuses to replace an existing file on Windows.
//
// Sections: names and errors · leftovers of killed saves · saving · reading
#include "platform/file.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// ---- names and errors ----

std::wstring widen(const char* path)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string errorText(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    for (const wchar_t* c = text; c && *c && *c != L'\r' && *c != L'\n'; ++c)
        reason.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
    LocalFree(text);
    if (reason.empty()) {
        char code[40];
        std::snprintf(code, sizeof code, "system error %lu", static_cast<unsigned long>(error));
        reason = code;
    }
    return reason;
}

FileSave failed(std::string reason)
{
    FileSave result;
    result.reason = std::move(reason);
    return result;
}

struct File {
    HANDLE h = INVALID_HANDLE_VALUE;
    ~File()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

// The file a path finally names once symlinks are followed, or the path
// itself when it does not exist yet.
std::wstring finalTarget(const std::wstring& path)
{
    File f;
    f.h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f.h == INVALID_HANDLE_VALUE)
        return path;
    wchar_t final[MAX_PATH * 4];  // capacity in characters; a longer path is used as given
    const DWORD n = GetFinalPathNameByHandleW(f.h, final, MAX_PATH * 4, FILE_NAME_NORMALIZED);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(final, n) : path;
}

std::wstring folderOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring nameOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// ---- leftovers of killed saves ----

// Temporary files are named ".NAME.PID.COUNT.tmp"; gives the PID of such a
// name for file NAME, or 0.
DWORD temporaryOwner(const std::wstring& entry, const std::wstring& name)
{
    const std::wstring prefix = L"." + name + L".";
    if (entry.compare(0, prefix.size(), prefix) != 0)
        return 0;
    unsigned long pid = 0;
    unsigned long count = 0;
    wchar_t tail[8] = {};
    return swscanf(entry.c_str() + prefix.size(), L"%lu.%lu.%3ls", &pid, &count, tail) == 3 &&
                   std::wstring(tail) == L"tmp"
               ? static_cast<DWORD>(pid)
               : 0;
}

bool processRuns(DWORD pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, still there
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void removeLeftovers(const std::wstring& folder, const std::wstring& name)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"." + name + L".*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const DWORD pid = temporaryOwner(found.cFileName, name);
        const bool plainFile =
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        if (pid != 0 && plainFile && pid != GetCurrentProcessId() && !processRuns(pid))
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// ---- saving ----

bool writeAll(HANDLE h, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD step = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, step, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// A console, pipe or other device is written as it is.
FileSave writeDevice(const std::wstring& target, const std::string& bytes)
{
    File f;
    f.h = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (f.h == INVALID_HANDLE_VALUE)
        return failed(errorText(GetLastError()));
    if (!writeAll(f.h, bytes))
        return failed(errorText(GetLastError()));
    return FileSave{true, false, ""};
}

bool isDevice(const std::wstring& target)
{
    File f;
    f.h = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return f.h != INVALID_HANDLE_VALUE && GetFileType(f.h) != FILE_TYPE_DISK;
}

}  // namespace

FileSave saveFileAtomically(const char* path, const std::string& bytes)
{
    const std::wstring target = finalTarget(widen(path));
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failed("Is a directory");
    if (isDevice(target))
        return writeDevice(target, bytes);

    const std::wstring folder = folderOf(target);
    const std::wstring name = nameOf(target);
    removeLeftovers(folder, name);
    static unsigned long count = 0;
    const std::wstring temporary = folder + L"." + name + L"." + std::to_wstring(GetCurrentProcessId()) +
                                   L"." + std::to_wstring(++count) + L".tmp";
    File f;
    f.h =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f.h == INVALID_HANDLE_VALUE)
        return failed(errorText(GetLastError()));
    bool written = writeAll(f.h, bytes) && FlushFileBuffers(f.h);
    DWORD error = GetLastError();
    written = CloseHandle(f.h) && written;
    f.h = INVALID_HANDLE_VALUE;
    if (written &&
        MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FileSave{true, false, ""};
    if (written)
        error = GetLastError();
    DeleteFileW(temporary.c_str());
    return failed(errorText(error));
}

// ---- reading ----

FileRead readRegularFile(const char* path, std::size_t maxBytes)
{
    FileRead result;
    result.status = FileRead::Refused;
    File f;
    f.h =
        CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (f.h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            result.status = FileRead::Missing;
        result.reason = errorText(error);
        return result;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(f.h) != FILE_TYPE_DISK || !GetFileInformationByHandle(f.h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.reason = "not a regular file";
        return result;
    }
    char chunk[4096];
    while (result.bytes.size() < maxBytes) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, maxBytes - result.bytes.size()));
        if (!ReadFile(f.h, chunk, want, &got, nullptr)) {
            result.reason = errorText(GetLastError());
            result.bytes.clear();
            return result;
        }
        if (got == 0)
            break;
        result.bytes.append(chunk, got);
    }
    result.status = FileRead::Read;
    return result;
}
