// The work-area operations. (Placeholder bodies while the table, memo and index code is
// being written: every operation fails with a clear error.)
#include "data/engine/engine.h"

namespace lysora::engine {
namespace {
std::string g_error = "table engine not built yet";
}
bool DBCREATE(std::string_view, const std::vector<FieldSpec>&, const std::vector<TagSpec>&,
              std::string* error) { if (error) *error = g_error; return false; }
std::string ReadFileHead(std::string_view, std::size_t) { return {}; }
bool DBUSEAREA(bool, std::string_view, std::string_view, std::string_view, bool, bool) { return false; }
bool NETERR() { return true; }
std::string LASTERROR() { return g_error; }
void DBCLOSEAREA() {}
void DBCLOSEALL() {}
int SELECT() { return 1; }
int SELECT(std::string_view) { return 0; }
bool DBSELECTAREA(int) { return false; }
bool DBSELECTAREA(std::string_view) { return false; }
bool USED() { return false; }
std::string ALIAS(int) { return {}; }
int FCOUNT() { return 0; }
std::string FIELDNAME(int) { return {}; }
int FIELDPOS(std::string_view) { return 0; }
Value DBFIELDINFO(int, int) { return {}; }
Value FIELDGET(int) { return {}; }
bool FIELDPUT(int, const Value&) { return false; }
long LASTREC() { return 0; }
long RECNO() { return 1; }
bool DBEOF() { return true; }
bool BOF() { return true; }
bool DBAPPEND(bool) { return false; }
bool DBDELETE() { return false; }
bool DELETED() { return false; }
bool DBGOTO(long) { return false; }
bool DBGOTOP() { return false; }
bool DBGOBOTTOM() { return false; }
bool DBSKIP(long) { return false; }
bool DBSEEK(std::string_view, bool, bool) { return false; }
int ORDCOUNT() { return 0; }
std::string ORDNAME(int) { return {}; }
std::string ORDKEY(int) { return {}; }
std::string ORDFOR(int) { return {}; }
int ORDNUMBER() { return 0; }
std::string ORDSETFOCUS(int) { return {}; }
std::string ORDSETFOCUS(std::string_view) { return {}; }
std::optional<std::string> ORDSCOPE(int, std::optional<std::string>) { return {}; }
bool ORDLISTREBUILD() { return false; }
std::vector<std::string> ORDCHECK() { return {}; }
bool DBRLOCK(long) { return false; }
void DBRUNLOCK(long) {}
std::vector<long> DBRLOCKLIST() { return {}; }
bool DBCOMMIT() { return false; }
} // namespace lysora::engine
