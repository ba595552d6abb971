// The consumer key kept in a file of the user's own instead of in the
// environment, where shell start-up files and every child would hold it.
#pragma once

#include <string>

// What reading the key file gave.
struct KeyFile {
    enum Status { Read, Missing, Refused };
    Status status = Missing;
    std::string key;     // Read: the first line without a byte-order mark and the blanks around it
    std::string reason;  // Refused: one line naming the file and what to do; never holds the key
};

// Reads the key at path: the first line of a regular file (or a symlink to
// one) that neither group nor others may use. A file that may not be used,
// can't be read, or holds no key of letters, digits and punctuation on its
// first line is Refused; no file at path is Missing.
KeyFile readKeyFile(const std::string& path);
