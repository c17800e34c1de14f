// A compound file (structured storage, version 3) holding a workbook's "Workbook" stream.
#pragma once

#include <string>

// The stream is padded with zeros to a multiple of 4096 bytes (at least 4096), so that it
// lives in ordinary 512-byte sectors and no mini stream is needed. False when the stream is
// too big for a file whose allocation table fits the header (about 6.8 MB).
bool BuildCompoundFile(const std::string& workbookStream, std::string* file);
