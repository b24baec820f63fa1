// Table definitions (DBF) and the two registries of open work areas.
//
// A DBF declares one table once: its file name, alias, titles, fields with their domains
// and texts, and orders. While open it owns a work area of the table engine; OPEN refuses
// a table file whose header or fields do not match the declaration. Fields of the current
// record are read and written by name (Get/Put), as members of the table object.
//
// The system splits the definition into a data class `__DBF` and a behaviour class `DBF`;
// names with two leading underscores are reserved in C++, so both are this one class, and
// the internal variables keep their names without the underscores (AREA_, AFLDSYM_, ...).
#pragma once

#include "base/symbol.h"
#include "base/value.h"
#include "data/domain.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

class DBF;
class DBSEL;

// One slot per work area 1 to 100; other area numbers read as empty and are never stored.
template <typename T>
class AreaRegistry {
public:
    static constexpr int kAreas = 100;

    T* operator[](int area) const { return InRange(area) ? slots_[std::size_t(area)] : nullptr; }
    void Set(int area, T* object)
    {
        if (InRange(area))
            slots_[std::size_t(area)] = object;
    }
    void Clear(int area) { Set(area, nullptr); }
    // Clears the area's slot only when it still holds object.
    void ClearIf(int area, const T* object)
    {
        if (InRange(area) && slots_[std::size_t(area)] == object)
            slots_[std::size_t(area)] = nullptr;
    }

private:
    static bool InRange(int area) { return area >= 1 && area <= kAreas; }
    std::array<T*, kAreas + 1> slots_{};
};

// The table object open in each work area.
extern AreaRegistry<DBF> I_AREADBF;
// The selection that last applied its order and scope to each work area.
extern AreaRegistry<DBSEL> I_AREASEL;

// A field or an order named by its 1-based number or by its symbol.
struct ItemRef {
    ItemRef(int n) : number(n) {}
    ItemRef(Symbol s) : name(s) {}
    int number = 0;
    Symbol name;
};

// The message of a field that a table does not have: "alias->name" under caption
// ("NOIVarGet" when reading, "NOIVarPut" when writing).
void ReportMissingField(std::string_view alias, Symbol field, std::string_view caption);

class DBF {
public:
    // INIT: the file name without extension, relative to the database folder, and the
    // alias the table opens under (empty: the engine's choice, the file's base name).
    explicit DBF(std::string fileName, std::string alias = {});
    // AXIT: closes the table.
    virtual ~DBF();
    DBF(const DBF&) = delete;
    DBF& operator=(const DBF&) = delete;

    // ---- Declaration ----
    // Declares the next field: its name, its domain and three texts (2 and 3 default to 1).
    void FLD(Symbol field, DomPtr domain, std::string text1, std::optional<std::string> text2 = {},
             std::optional<std::string> text3 = {});
    // Declares the next order with its key expression, FOR condition and text.
    void ORD(Symbol order, std::string key, std::string condition = {}, std::string text = {});
    // Declares the next order keyed on fields: each field's domain gives its ORDKEY, and
    // the expressions are joined with "+".
    void ORD(Symbol order, const std::vector<Symbol>& fields, std::string condition = {},
             std::string text = {});
    // The first table title (second false) or the first second title (second true).
    std::string TXT(bool second = false) const;
    // Sets both title lists: an array of texts as it stands, a text as a one-element list,
    // anything else as an empty list.
    void TXT(const Value& title, const Value& secondTitle);

    // ---- Opening ----
    // Opens the table file folder + file name + ".dbf" in a new work area, after checking
    // its header and its fields against the declaration; shows what is wrong and returns
    // false when they differ.
    bool OPEN(bool shared, bool readOnly, std::string directory);
    // Closes the work area and clears this table's registry entries. false (LASTERROR
    // says why) when the table's pending changes could not be written.
    bool CLOSE();

    // ---- Records of the table's work area ----
    bool INSERT(); // appends a blank record, locked for this area
    // Appends a record holding values (field i the i-th), locked for this area; when a
    // value does not fit its field nothing is appended.
    bool INSERT(const ValueArray& values);
    bool DELETE(); // marks the current record deleted

    // Reads the field named field of the current record (NOIVARGET); a name that is not a
    // field shows alias->name under "NOIVarGet" and reads NIL.
    Value Get(Symbol field);
    // Writes it (NOIVARPUT); a missing field shows alias->name under "NOIVarPut". Returns
    // whether the engine stored the value.
    bool Put(Symbol field, const Value& value);

    // ---- Look-ups in the definition ----
    const std::vector<Symbol>& FLDSYM() const { return afldsym_; }
    Symbol FLDSYM(int n) const;                  // null symbol when out of range
    const std::vector<DomPtr>& FLDOBJ() const { return afldobj_; }
    DOM* FLDOBJ(ItemRef field) const;            // nullptr when not declared
    const std::vector<std::string>& FLDTXT() const { return afldtxt_; }
    // Text 2 or 3 of the field when textNumber says so, else text 1; empty when undeclared.
    std::string FLDTXT(ItemRef field, int textNumber = 1) const;
    int FieldNumber(ItemRef field) const;        // 1-based; 0 when not declared

    const std::vector<Symbol>& AORDSYM() const { return aordsym_; }
    const std::vector<std::string>& AORDKEY() const { return aordkey_; }
    const std::vector<std::string>& AORDFOR() const { return aordfor_; }
    const std::vector<std::string>& AORDTXT() const { return aordtxt_; }
    // The fields an order (1-based) was declared on, in key order; empty for an order
    // declared with a key expression or out of range.
    std::vector<Symbol> ORDFIELDS(int order) const;
    int OrderNumber(ItemRef order) const;        // 1-based; 0 when not declared

    const std::string& FILENAME() const { return filename_; }
    const std::string& ALIAS() const { return alias_; }
    bool TEMP() const { return false; } // every table of this system has a file name
    int AREA() const { return area_; }  // 0 while closed

private:
    bool CheckSignature(const std::string& path) const;
    bool CheckStructure() const;
    // Selects the table's work area; false (nothing selected) while the table is closed.
    bool SelectArea() const;
    std::string AliasText() const; // the alias in force, for messages

    std::string filename_;
    std::string alias_;
    std::vector<Symbol> afldsym_;
    std::vector<DomPtr> afldobj_;
    std::vector<std::string> afldtxt_, afldtx2_, afldtx3_;
    std::vector<Symbol> aordsym_;
    std::vector<std::string> aordkey_, aordfor_, aordtxt_;
    std::vector<std::vector<Symbol>> aordfields_;
    std::vector<std::string> titles_, secondTitles_;
    int area_ = 0;
};

} // namespace lysora
