#include "settings/replace_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Where the file really lives: the target of a link, so that the file the link points to is
// replaced and the link stays.
static void link_target(const char* path, char* resolved, size_t size) {
    ssize_t length = readlink(path, resolved, size - 1);
    if (length <= 0) {
        snprintf(resolved, size, "%s", path);
        return;
    }
    resolved[length] = '\0';
}

// Makes the rename itself durable. Best effort: the new file is already in place, and some file
// systems cannot flush a folder.
static void flush_folder_of(const char* path) {
    char folder[4096] = ".";
    const char* slash = strrchr(path, '/');
    if (slash != NULL) {
        snprintf(folder, sizeof folder, "%.*s", (int)(slash == path ? 1 : slash - path), path);
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// The new file gets a unique name beside the target. mkstemp creates it exclusively, so a link or
// file already at that name is never followed or overwritten; the content reaches the disk before
// the rename, so a crash leaves the old file or the new one.
bool replace_file_with_text(const char* path, const char* text) {
    char target[4096];
    link_target(path, target, sizeof target);
    char temporary[4096 + 8];
    snprintf(temporary, sizeof temporary, "%s.XXXXXX", target);
    const int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // mkstemp makes the file private; give it the mode fopen would, as the umask allows.
    const mode_t umask_bits = umask(0);
    umask(umask_bits);
    FILE* file = fdopen(fd, "w");
    bool written = file != NULL && fchmod(fd, 0666 & ~umask_bits) == 0 && fputs(text, file) >= 0 &&
                   fflush(file) == 0 && fsync(fd) == 0;
    if (file != NULL) {
        written = fclose(file) == 0 && written;
    } else {
        close(fd);
    }
    if (!written || rename(temporary, target) != 0) {
        unlink(temporary);
        return false;
    }
    flush_folder_of(target);
    return true;
}
