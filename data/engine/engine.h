// The work-area table engine: dBASE tables (.dbf) with memo files (.dbt) and compound
// indexes (.cdx), opened in numbered work areas and driven through the classic work-area
// operations (DBUSEAREA ... NETERR) on the currently selected area.
//
// Conventions shared by every operation below:
// - Work areas are numbered 1 to 100 (kMaxAreas). One area is current ("selected"); the
//   field, navigation, order and lock operations act on it. With no table open in the
//   current area they do nothing and answer the neutral value (0, "", false, NIL) and set
//   LASTERROR.
// - Record numbers start at 1. At end of file RECNO() is LASTREC() + 1 and DBEOF() is true.
// - Deleted records are skipped by DBGOTOP, DBGOBOTTOM, DBSKIP and DBSEEK (they have
//   vanished for users) but DBGOTO still reaches them, so that DELETED() can tell.
// - Keys are texts (Windows-1252 bytes) compared byte by byte, as the index stores them;
//   a seek key shorter than the tag's key compares on its own length only.
// - Soft seek is never on unless asked for by the call itself: DBSEEK(key) is exact.
// - Failures never throw: each operation returns false / 0 / NIL and LASTERROR() gives a
//   readable text. DBUSEAREA's failure is also reported by NETERR() until the next open.
// - One thread. Several processes may share the files (see DBUSEAREA and DBRLOCK).
//
// Paths: a table is named by its path with or without ".dbf"; both "/" and "\" separate
// folders (so the Windows-style directory + name + ".dbf" of the program works on both
// systems). The memo file and the compound index share the table's path with ".dbt" and
// ".cdx"; the compound index opens with its table whenever it exists.
//
// Within one process, every open of the same file shares one operating-system handle, so
// that closing one work area never drops the record locks held through another. For the
// same reason code outside the engine must not open and close a table file itself while
// the table may be open: use ReadFileHead to look at a header.
#pragma once

#include "base/value.h"
#include "data/engine/file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lysora::engine {

constexpr int kMaxAreas = 100;

// ---- Creating tables -----------------------------------------------------------------

// One field of a new table. type is 'C' (text, len 1..254), 'N' (number, len 1..20,
// dec 0..15 and below len - 1 when not 0), 'L' (logical, len 1), 'D' (date, len 8) or
// 'M' (memo, len 10; the text lives in the .dbt file). Names are up to 10 characters,
// letters, digits and '_', starting with a letter; they are stored upper case.
struct FieldSpec {
    std::string name;
    char type = 'C';
    int len = 0;
    int dec = 0;
};

// One tag (order) of the compound index: its name (up to 10 characters, stored upper
// case), its key expression and an optional FOR condition (empty: none). Key expressions
// are built from field names, str(f,len,dec), dtos(f), if(f,'Y','N') and "+"; the key
// of a record is the text the expression yields (at most 240 bytes). FOR conditions use
// the same terms compared with "=", "<>", "<", ">", "<=", ">=", joined by ".and."/".or.",
// negated by ".not."/"!", and may be plain logical fields; records for which the
// condition is false are left out of the tag. All tags are ascending.
struct TagSpec {
    std::string name;
    std::string key;
    std::string forCondition;
};

// Creates (or replaces) the table file, its memo file when a field is 'M', and its
// compound index when tags are given (empty tags: no .cdx, and an existing one is
// removed). The table is written with version byte 0x03 (0x83 with a memo file),
// code-page byte 0x03 (Windows ANSI), the structural-index flag (byte 28) when it has an
// index, no records. A tag whose key expression and condition do not fit an index
// (510 characters together) is refused. false + error text on failure.
bool DBCREATE(std::string_view file, const std::vector<FieldSpec>& fields,
              const std::vector<TagSpec>& tags, std::string* error = nullptr);

// Reads the first count bytes of a file through the engine's handle when the file is open
// in this process, or directly otherwise. Empty result when the file cannot be read.
std::string ReadFileHead(std::string_view path, std::size_t count);

// ---- Work areas ----------------------------------------------------------------------

// Opens a table. newArea true: in the lowest free work area; false: in the current area
// (closing what is open there). driver: "DBFCDX" or empty (the same). alias: empty gives
// the file's base name upper case; an alias already used by another area fails.
// shared: other processes may open the table too (shared); false: exclusive, which fails
// while any other process or work area has it open, and makes later opens fail.
// readOnly: every change is refused, and the files are opened for reading only; a table
// whose index or memo file cannot be written opens read-only too. Success selects the new
// area and positions it on the first record of physical order. Failure (file missing,
// held exclusively, locked, bad or damaged file, an index that cannot be opened or does
// not agree with the records, no free area) leaves nothing open and sets NETERR().
// A write-back that was interrupted (see DBCOMMIT) is undone first.
bool DBUSEAREA(bool newArea, std::string_view driver, std::string_view file,
               std::string_view alias = {}, bool shared = true, bool readOnly = false);
bool NETERR();            // true when the last DBUSEAREA failed
// What the current area's open had to say about its files, "" when nothing: a table whose
// interrupted change could not be undone (files that cannot be written) is shown as it was
// before that change, and this says so.
std::string DBNOTICE();
std::string LASTERROR();  // text of the last failure of any operation ("" after success)
// What kind of failure LASTERROR describes (file.h), so that callers can tell the user why.
Failure LASTFAILURE();

// Writes pending changes and puts them on the disk, releases the area's locks, frees the
// area. false + LASTERROR when the changes could not be written (the area is freed all
// the same; the files keep the state of the last write-back that completed).
bool DBCLOSEAREA();
bool DBCLOSEALL(); // the same for every area (false when any failed); the current area becomes 1

int SELECT();                     // the current area number
int SELECT(std::string_view alias); // the area of an alias (case-insensitive); 0 if none
bool DBSELECTAREA(int area);      // 1..100; false otherwise
bool DBSELECTAREA(std::string_view alias); // false when no area has that alias
bool USED();                      // a table is open in the current area
std::string ALIAS(int area = 0);  // alias of an area (0: current); "" when none

// ---- Structure and fields ------------------------------------------------------------

int FCOUNT();
std::string FIELDNAME(int pos);      // 1-based; "" when out of range
int FIELDPOS(std::string_view name); // case-insensitive; 0 when none

// DBFIELDINFO kinds, as the classic engine numbers them.
enum DbsInfo { DBS_NAME = 1, DBS_TYPE = 2, DBS_LEN = 3, DBS_DEC = 4 };
// DBS_NAME: text; DBS_TYPE: one-letter text "C", "N", "L", "D", "M"; DBS_LEN, DBS_DEC:
// numbers. NIL when pos is out of range.
Value DBFIELDINFO(int info, int pos);

// Field of the current record: 'C' text padded to its width as stored; 'N' number (a
// blank field reads 0); 'L' logical; 'D' Date (empty date when blank); 'M' the memo
// text. NIL at end of file or when pos is out of range.
Value FIELDGET(int pos);
// Stores a value: 'C' a text (cut or blank-padded to the width); 'N' a number (refused
// with an error when it does not fit the width and decimals); 'L' a logical; 'D' a
// Date; 'M' a text. NIL stores the blank value. A wrong type, end of file, a read-only
// table, or a shared table whose record is not locked by this area (and was not just
// appended by it) is refused: false + LASTERROR. Indexes follow the change.
bool FIELDPUT(int pos, const Value& value);

// ---- Records -------------------------------------------------------------------------

long LASTREC(); // number of records in the table, deleted ones included
long RECNO();   // current record number; LASTREC() + 1 at end of file
bool DBEOF();   // EOF() of the classic engine (EOF itself is a C library macro)
bool BOF();     // a skip backwards went past the first record (or the table is empty)

// Appends a blank record and moves to it. In a shared table the append holds the table's
// append lock while the record count grows, and the new record is locked for this area
// (it joins DBRLOCKLIST); releaseLocks true also releases the area's other locks, as the
// classic engine does. The changes waiting in the area are written back with the new
// record. Refused in a read-only table.
bool DBAPPEND(bool releaseLocks = true);
// The same with a record holding values (field i gets values[i - 1], as FIELDPUT stores
// it; fields past the values stay blank, values past the fields are ignored). When a
// value does not fit its field nothing is appended: false + LASTERROR.
bool DBAPPEND(const std::vector<Value>& values, bool releaseLocks = true);
// Marks the current record deleted (shared tables: it must be locked by this area). The
// record stays reachable by DBGOTO; indexes keep its keys.
bool DBDELETE();
bool DELETED(); // the current record is marked deleted

// ---- Navigation ----------------------------------------------------------------------
// Movements follow the controlling order (ORDSETFOCUS) within its scopes (ORDSCOPE), or
// the physical order when none is set. In a shared table, each movement first takes in
// the changes other processes have committed.

bool DBGOTO(long recno);  // any record, deleted or out of scope included; EOF when none
bool DBGOTOP();
bool DBGOBOTTOM();
bool DBSKIP(long count = 1); // past the last: EOF; before the first: BOF on the first

// Seeks a key in the controlling order within its scopes. Found: positioned on the first
// record whose key starts with key, returns true. Not found: soft false -> EOF; soft
// true -> on the first record whose key is greater (EOF when none). last true: the last
// matching record instead of the first. No order set: false + LASTERROR.
bool DBSEEK(std::string_view key, bool soft = false, bool last = false);

// A burst of reads on one work area, against one state of its table. Every movement of a
// shared table otherwise first checks for changes other processes committed (a header lock
// and a read of the header each time); while a ReadBurst lives, its area checks once, when
// the burst begins, and its movements, seeks and field reads then see the table as it stood
// then, whatever other processes commit meanwhile. The first movement after the area's
// outermost burst ends takes their changes in. Bursts of one area nest.
// Inside a burst the area refuses changes (FIELDPUT, DBAPPEND, DBDELETE, DBRLOCK fail with
// LASTERROR): they would be made over a state others may have moved past. Unlocking and
// DBCOMMIT stay allowed; nothing waits to be written. Closing the area ends its bursts, and
// a ReadBurst whose area was closed (even opened again) meanwhile does nothing at its end.
class ReadBurst {
public:
    // Begins a burst on area (1..kMaxAreas). When no table is open there, or the first
    // check fails (LASTERROR), no burst begins and the area goes on checking at every move.
    explicit ReadBurst(int area);
    ~ReadBurst();
    ReadBurst(const ReadBurst&) = delete;
    ReadBurst& operator=(const ReadBurst&) = delete;
    bool Active() const { return area_ != 0; }

private:
    int area_ = 0;
    std::uint64_t opening_ = 0; // which opening of the area the burst belongs to
};

// ---- Orders --------------------------------------------------------------------------

int ORDCOUNT();                // number of tags of the area's compound index
std::string ORDNAME(int order); // 1-based; "" when out of range
std::string ORDKEY(int order);  // key expression as stored
std::string ORDFOR(int order);  // FOR condition as stored; "" when none
int ORDNUMBER();                // the controlling order, 0 for physical order
// Sets the controlling order, by number (0: physical) or by tag name (case-insensitive;
// empty: physical). Returns the name of the previous controlling order ("" when none).
// The scopes are cleared when the order changes. An unknown order leaves the order
// unchanged and sets LASTERROR.
std::string ORDSETFOCUS(int order);
std::string ORDSETFOCUS(std::string_view name);
// Scope of the controlling order: which 0 = top (lowest key), 1 = bottom (highest key).
// A bound is compared on its own length, so a bottom scope "12" admits every key starting
// with "12". nullopt clears that scope. Returns the previous bound (nullopt when none).
// Setting a scope does not move the record pointer.
std::optional<std::string> ORDSCOPE(int which, std::optional<std::string> bound);
// Rebuilds every tag of the area's index from the table. Needs the table open exclusive
// and writable; refused otherwise.
bool ORDLISTREBUILD();
// Checks every tag against the table: each record (deleted ones too) that satisfies the
// tag's FOR condition appears exactly once with its current key, keys ascend, and the
// tag holds nothing else. One line per problem found; empty when the index agrees.
std::vector<std::string> ORDCHECK();

// ---- Locks and commit ----------------------------------------------------------------

// Locks a record (0: the current one) for this area: a byte-range lock of the table file
// at the offset FoxPro-style engines use (0x7FFFFFFE - recno), that other processes'
// locks exclude, and that other work areas of this process cannot take either. Shared
// tables only need it; in an exclusive table it succeeds at once. No wait: false when someone else holds it. The record need not be current.
bool DBRLOCK(long recno = 0);
// Releases one record lock (recno 0: every lock of this area). A shared table's changes
// waiting in this area are written back first (a failure sets LASTERROR); an exclusive
// table's wait for DBCOMMIT or closing.
void DBRUNLOCK(long recno = 0);
std::vector<long> DBRLOCKLIST(); // records this area holds locked, ascending
// Writes every pending change of the area (records, memo, header, index) and asks the
// system to put it on the disk; other processes see it from their next movement. Each
// write-back is all or nothing: records, header and index are written under a rollback
// journal (TABLE.jnl), so a failure or a stop part-way leaves the state before it. In a
// shared table the changes to a record are written back when the area leaves the record
// (a movement, an unlock, an append, DBCOMMIT, closing), whole, visible to other
// processes at once and safe against the program stopping; they are not synced one by
// one (a shared append costs a few small writes, no disk wait): DBCOMMIT and closing put
// every write-back so far on the disk, safe against the machine stopping.
bool DBCOMMIT();

} // namespace lysora::engine
