// Whole files in and out. A write never leaves a torn file: the bytes go to a new file in
// the same folder, reach the disk, and that file is renamed into place. A read never waits
// on a FIFO or a device standing where a file of the program is expected.
#pragma once

#include <cstddef>
#include <string>

// False, with a message naming the file (UTF-8), when any step fails; the temporary file
// is then removed and an existing file at the path is left as it was. The file takes the
// mode the process umask gives a new file. The file's bytes are on the disk before the
// rename, and the rename itself is on the disk before this returns true.
bool WriteFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                         std::string* errorUtf8);

// As WriteFileAtomically, but a file already at the path is never replaced: the new file
// takes the path only while nothing is there. False with *existed true when something was.
bool CreateFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                          std::string* errorUtf8, bool* existed);

// Renames from to to unless something is at to already (then false, errno EEXIST).
bool RenameWithoutReplacing(const std::string& fromUtf8, const std::string& toUtf8);

// Reads at most maxBytes from the start of a regular file. A folder, a FIFO or a device is
// refused at once, with a message naming the file, as is a file that cannot be opened;
// *errnoOut (when given) then holds the reason (ENOENT for a missing file).
bool ReadFilePrefix(const std::string& pathUtf8, std::size_t maxBytes, std::string* bytes,
                    std::string* errorUtf8, int* errnoOut = nullptr);

// Reads a whole regular file of at most maxBytes, guarded as ReadFilePrefix is; a longer
// file is refused (EFBIG) without being read to its end.
bool ReadBoundedFile(const std::string& pathUtf8, std::size_t maxBytes, std::string* bytes,
                     std::string* errorUtf8, int* errnoOut = nullptr);
