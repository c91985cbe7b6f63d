#include "settings/replace_file.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

// Creates a new file of a unique name beside target, exclusively, so that nothing already at
// that name is opened or overwritten. Returns its handle, or INVALID_HANDLE_VALUE.
static HANDLE create_beside(const char* target, char* temporary, size_t size) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        snprintf(temporary, size, "%s.%lu-%u.tmp", target, GetCurrentProcessId(), attempt);
        const HANDLE handle =
            CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return handle;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// The content reaches the disk before the new file replaces the old one in a single move, so a
// crash leaves the old file or the new one. A folder at the target's name is never replaced.
bool replace_file_with_text(const char* target, const char* text) {
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    char temporary[MAX_PATH + 32];
    const HANDLE handle = create_beside(target, temporary, sizeof temporary);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Text mode, as the C runtime writes text files here: each "\n" becomes CR LF.
    const int fd = _open_osfhandle((intptr_t)handle, _O_TEXT);
    FILE* file = fd >= 0 ? _fdopen(fd, "w") : NULL;
    bool written =
        file != NULL && fputs(text, file) >= 0 && fflush(file) == 0 && FlushFileBuffers(handle);
    if (file != NULL) {
        written = fclose(file) == 0 && written;
    } else if (fd >= 0) {
        _close(fd);
    } else {
        CloseHandle(handle);
    }
    if (!written ||
        !MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return false;
    }
    return true;
}
