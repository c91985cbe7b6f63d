// Putting new text in place of a file so that a failure or a crash never leaves it half written.
#pragma once

// Writes text (in text mode: CR LF line ends where the platform's text files have them) to a new
// file beside target, flushes it to disk, and puts it in place of target in one step that replaces
// the old file. On any failure the new file is removed, target is left as it was, and the result
// is false. Where target is a link (POSIX), the file it points to is replaced and the link stays.
bool replace_file_with_text(const char* target, const char* text);
