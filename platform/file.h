// Saving and reading whole files: the settings file and the snapshot.
// A save replaces the file so that a reader sees either the old or the new
// content, and what the user set up around the file (a symlink, its mode, its
// owner, its hard links) stays as it was.
#pragma once

#include <cstddef>
#include <string>

// What became of a save.
struct FileSave {
    bool saved = false;             // the file now holds the new bytes
    bool rewrittenInPlace = false;  // saved, but over the old bytes instead of by replacing the file
    std::string reason;             // one line: why it failed, or why it was rewritten in place
};

// Writes bytes to path. A symlink is followed and its final target replaced
// (the link stays a link). The bytes go to a new, exclusively created file
// beside the target, which is flushed to disk, given the target's mode and
// owner and renamed over it, so a failed write (a full disk) leaves the old
// file whole. A target with other hard links, one whose owner cannot be kept,
// one in a folder that accepts no new file, or one mounted on its own is
// rewritten in place instead, after its room is reserved. A device or pipe is written in place without
// waiting for a reader to appear. Temporary files left by an earlier save of
// the same file that was killed are removed first.
FileSave saveFileAtomically(const char* path, const std::string& bytes);

// What became of a read.
struct FileRead {
    enum Status { Read, Missing, Refused };
    Status status = Missing;    // Missing: no such file; Refused: present but not readable as a file
    std::string bytes;          // the first maxBytes bytes when Read
    bool othersMayUse = false;  // Read: a group or other permission bit is set (POSIX; never on Windows)
    std::string reason;         // one line: why it was refused
};

// Reads at most maxBytes of path, which must be a regular file or a symlink to
// one. Never waits: a pipe, device or folder is Refused without being read.
FileRead readRegularFile(const char* path, std::size_t maxBytes);
