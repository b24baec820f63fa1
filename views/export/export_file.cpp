// Export files (see export_file.h).
#include "views/export/export_file.h"

#include "base/messages.h"
#include "services/strings.h"

#include <cstdio>

namespace lysora {

WriteResult WriteWholeFile(const std::string& file, std::string_view text)
{
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return WriteResult::NotCreated;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = std::fclose(out) == 0;
    if (written && closed)
        return WriteResult::Written;
    std::remove(file.c_str()); // a cut file would pass for the whole export
    return WriteResult::NotWritten;
}

bool SaveExport(const std::string& file, std::string_view text)
{
    const WriteResult result = WriteWholeFile(file, text);
    if (result == WriteResult::Written)
        return true;
    const char* key = result == WriteResult::NotCreated ? "ERREURCREATIONFICHIER" : "ERREURECRITUREFICHIER";
    ShowMessage(LIB(Symbol(key)) + " " + file, LIB(Symbol("ERREUR")), kMbOk | kMbIconStop);
    return false;
}

RtfMessages ExportRtfMessages()
{
    return {LIB(Symbol("ERREURCREATIONFICHIER")), LIB(Symbol("ERREURECRITUREFICHIER")), LIB(Symbol("ERREUR"))};
}

} // namespace lysora
