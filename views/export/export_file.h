// Export files written whole or not at all: the spreadsheet, formulation and semicolon
// texts of the sheet and the comparison go through here, so that a full disk or a folder
// that refuses the file never leaves a cut file that looks like a complete export.
#pragma once

#include "print/pl_rtf.h"

#include <string>
#include <string_view>

namespace lysora {

// Writes text as the whole content of file (created or truncated). On any failure no file
// is left behind.
enum class WriteResult { Written, NotCreated, NotWritten };
WriteResult WriteWholeFile(const std::string& file, std::string_view text);

// Writes text into file; on failure says which ("cannot create" or "cannot write", with the
// file's path) and returns false.
bool SaveExport(const std::string& file, std::string_view text);

// The messages of an RTF export in the current language ("cannot create", "cannot write",
// their caption).
RtfMessages ExportRtfMessages();

} // namespace lysora
