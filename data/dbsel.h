// Selections: cursors over one open table, each with its own order, key range (scope),
// record position and list of locked records, so that several views browse one work area
// independently. Every operation first brings the engine into the selection's state
// (REST), re-applying order and scope only when another selection used the area since.
//
// EOF is a C library macro, so the end-of-file test is Eof(); the internal variables keep
// their names without the two leading underscores, which C++ reserves.
#pragma once

#include "data/dbf.h"
#include "data/engine/engine.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// A work area named by its number or by its alias.
struct AreaRef {
    AreaRef(int n) : number(n) {}
    AreaRef(std::string_view a) : alias(a) {}
    AreaRef(const char* a) : alias(a) {}
    AreaRef(Symbol a) : alias(a.Name()) {}
    int number = 0;
    std::string alias;
};

class DBSEL {
public:
    // The record number the selection keeps at end of file (0 means end of file too).
    static constexpr std::int32_t kEofRecno = 2147483647;

    // True when a table is open under that alias: a selection on it can be made.
    static bool ISOPEN(Symbol alias);

    // INIT: the selection on the table open in area; with an order, ORD is applied too.
    explicit DBSEL(AreaRef area);
    DBSEL(AreaRef area, ItemRef order, std::string keyMin = {},
          std::optional<std::string> keyMax = std::nullopt);
    // Releases the locks the selection still holds, which nobody could release afterwards.
    ~DBSEL();
    DBSEL(const DBSEL&) = delete;
    DBSEL& operator=(const DBSEL&) = delete;

    // The name of the current order (null symbol for physical order); makes the next
    // operation re-apply order and scope.
    Symbol ORD();
    // Sets the order (number or name; an unknown one gives physical order) and the key
    // range: keys from keyMin to keyMax, keyMax defaulting to keyMin so that a single bound
    // selects the keys equal to it; empty bounds leave that side open.
    Symbol ORD(ItemRef order, std::string keyMin = {}, std::optional<std::string> keyMax = std::nullopt);

    // ---- Navigation; each answers whether the selection is on a record afterwards ----
    // A movement the engine could not make (FAILURE says why) answers false and leaves the
    // selection where it was, so a loop over the selection always ends.
    bool GOTOP();
    bool GOBOTTOM();
    bool SKIP(long count = 1);
    // Exact seek of key when suffix is empty and soft false; otherwise a soft seek of
    // key + suffix. True unless it ends at end of file.
    bool SEEK(std::string_view key, std::string_view suffix = {}, bool soft = false);
    void GOTO(std::int32_t recno); // the engine moves at the next operation that needs it
    std::int32_t RECNO() const { return recno_; }
    bool Eof() const { return recno_ == kEofRecno || recno_ == 0; }
    // The last SKIP backwards went past the first record (the selection is on the first).
    bool Bof() const { return bof_; }

    // ---- Changes ----
    // Appends a record, locked by this selection, and moves to it; values, when an array,
    // fill the fields in order. False when the table refuses the append.
    bool INSERT(const Value& values = {});
    // Deletes the current record (lock it first) and moves to the record that followed it,
    // or to end of file. False, without moving, when the engine refuses the deletion.
    bool DELETE();
    // Locks the current record for this selection. False without a message when another
    // selection of the process or another user holds it; false with "Enregistrement
    // supprimé par un autre utilisateur" (and REFRESH sent to the browse windows) when the
    // record has been deleted meanwhile.
    bool LOCK();
    // The last LOCK failed because the record had been deleted (the user was told).
    bool Vanished() const { return vanished_; }
    void UNLOCK(); // releases every lock of this selection
    // Writes the changes; once they are written, sends ONCOMMIT to the registered windows.
    bool COMMIT();
    // Why the last operation on a table failed, in the user's words ("" when it did not):
    // a record or table another user holds, files that cannot be written, or the engine's
    // own reason.
    static std::string FAILURE();

    // A burst of reads on the selection's table (engine::ReadBurst): while the object lives,
    // the table is checked for other users' changes once instead of at every move, and
    // refuses changes. Keep it for the run of reads: const auto burst = selection.Burst();
    engine::ReadBurst Burst() const { return engine::ReadBurst(area_); }

    // ---- The table definition ----
    const std::vector<Symbol>& FLDSYM() const;
    Symbol FLDSYM(int n) const;
    const std::vector<DomPtr>& FLDOBJ() const;
    DOM* FLDOBJ(ItemRef field) const;
    const std::vector<std::string>& FLDTXT() const;
    std::string FLDTXT(ItemRef field, int textNumber = 1) const;
    std::string TXT(bool second = false) const;
    void TXT(const Value& title, const Value& secondTitle);

    // Field of the selection's record by name (NOIVARGET / NOIVARPUT).
    Value Get(Symbol field);
    bool Put(Symbol field, const Value& value);

    int AREA() const { return area_; }
    DBF* DBO() const { return dbo_; }
    int ORDNUMBER() const { return ord_; }
    const std::string& KEYMIN() const { return keymin_; }
    const std::string& KEYMAX() const { return keymax_; }
    const std::vector<std::int32_t>& ALOCK() const { return alock_; }

private:
    // __REST: selects the area, re-applies order and scope when another selection used the
    // area since, and with goTo moves the engine to the selection's record.
    // False, touching nothing, when no table is open in the area.
    bool REST(bool goTo);
    void UpdatePosition(); // after a movement: the engine's record, or kEofRecno
    bool AtEnd();          // puts the selection at end of file; false
    // A movement: restore, move the engine, update the position; true when on a record.
    bool Navigate(bool goTo, const std::function<bool()>& move);
    bool HoldsLock(std::int32_t recno) const;

    std::int16_t area_ = 0;
    DBF* dbo_ = nullptr;
    std::int32_t recno_ = 0;
    std::int16_t ord_ = 0;
    std::string keymin_;
    std::string keymax_;
    std::vector<std::int32_t> alock_;
    bool bof_ = false;
    bool vanished_ = false;
};

} // namespace lysora
