// Writing a whole file so that a failed or interrupted save never leaves a torn file: the
// bytes go to a temporary file in the same folder, which is then renamed into place.
#pragma once

#include <string>

// False, with a message naming the file (UTF-8), when any step fails; the temporary file
// is then removed and an existing file at the path is left as it was.
bool WriteFileAtomically(const std::string& pathUtf8, const std::string& bytes,
                         std::string* errorUtf8);
