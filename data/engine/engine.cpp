// The work-area operations (engine.h): one table per numbered area, a current area, and
// each classic operation forwarded to the table of the current area.
#include "data/engine/engine.h"

#include "data/engine/table.h"
#include "base/text.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace lysora::engine {
namespace {

struct Area {
    std::unique_ptr<Table> table;
    std::string alias;
    std::uint64_t opening = 0; // tells a table from a later one opened in the same area
};

struct Engine {
    std::array<Area, kMaxAreas + 1> areas; // [0] unused
    int current = 1;
    bool netError = false;
    std::string lastError;
    Failure lastFailure = Failure::kNone;
    std::uint64_t openings = 0;
};

// The engine is never destroyed: tables are also closed from the destructors of static
// objects (the program's database), which run in no order we control, and must find the
// engine alive. Tables still open when the process ends are closed (their pending changes
// written) by an exit handler; closing them again later does nothing.
Engine& E() {
    static Engine& engine = []() -> Engine& {
        Engine* created = new Engine;
        std::atexit([] { DBCLOSEALL(); });
        return *created;
    }();
    return engine;
}

bool Refuse(std::string why) {
    E().lastError = std::move(why);
    E().lastFailure = Failure::kRefused;
    return false;
}

// The current area's table, or null with LASTERROR set.
Table* Current() {
    Table* t = E().areas[std::size_t(E().current)].table.get();
    if (!t) Refuse("no table open in work area " + std::to_string(E().current));
    return t;
}

// Records the outcome of a table operation in LASTERROR.
bool Done(Table* t, bool ok) {
    E().lastError = ok ? std::string() : t->Error();
    E().lastFailure = ok ? Failure::kNone : t->FailureKind();
    return ok;
}

bool FieldOk(Table* t, int pos) { return t && pos >= 1 && pos <= int(t->Fields().size()); }

} // namespace

bool DBCREATE(std::string_view file, const std::vector<FieldSpec>& fields,
              const std::vector<TagSpec>& tags, std::string* error) {
    std::vector<Field> f;
    for (const FieldSpec& s : fields) f.push_back({s.name, s.type, s.len, s.dec, 0});
    std::vector<CdxTag> t;
    for (const TagSpec& s : tags) {
        CdxTag c;
        c.name = s.name;
        c.key = s.key;
        c.forCondition = s.forCondition;
        t.push_back(std::move(c));
    }
    std::string why;
    bool ok = Table::Create(file, f, t, why);
    Refuse(why);
    if (error) *error = why;
    return ok;
}

std::string ReadFileHead(std::string_view path, std::size_t count) {
    std::string out;
    std::string identity = FileIdentity(std::string(path));
    if (identity.empty()) return out;
    if (Table::ReadHeadIfOpen(identity, count, out)) return out;
    std::string error;
    auto f = OpenFile(std::string(path), false, false, error);
    if (!f) return out;
    out.assign(std::size_t(std::min<std::uint64_t>(f->Size(), count)), '\0');
    if (!f->Read(0, out.data(), out.size())) out.clear();
    return out;
}

bool DBUSEAREA(bool newArea, std::string_view driver, std::string_view file,
               std::string_view alias, bool shared, bool readOnly) {
    Engine& e = E();
    auto fail = [&](std::string why) {
        e.netError = true;
        Refuse(std::move(why));
        return false;
    };
    if (!driver.empty() && UpperCase(driver) != "DBFCDX") return fail("unknown driver " + std::string(driver));
    int area = e.current;
    if (newArea) {
        area = 0;
        for (int i = 1; i <= kMaxAreas && !area; ++i)
            if (!e.areas[std::size_t(i)].table) area = i;
        if (!area) return fail("no free work area");
    } else {
        DBCLOSEAREA();
    }
    std::string error;
    auto table = Table::Open(file, shared, readOnly, OpenMode::kNormal, error);
    if (!table) return fail(error);
    std::string name = UpperCase(alias.empty() ? std::string_view(table->BaseName()) : alias);
    if (name.empty() || SELECT(name) != 0) return fail("alias " + name + " already in use");
    e.areas[std::size_t(area)] = {std::move(table), name, ++e.openings};
    e.current = area;
    e.netError = false;
    e.lastError.clear();
    return true;
}

bool NETERR() { return E().netError; }
std::string LASTERROR() { return E().lastError; }
std::string DBNOTICE() {
    const Table* t = E().areas[std::size_t(E().current)].table.get();
    return t ? t->Notice() : std::string();
}
Failure LASTFAILURE() { return E().lastError.empty() ? Failure::kNone : E().lastFailure; }

bool DBCLOSEAREA() {
    Area& a = E().areas[std::size_t(E().current)];
    if (!a.table) return true;
    bool ok = a.table->Close();
    E().lastError = ok ? std::string() : a.table->Error();
    E().lastFailure = ok ? Failure::kNone : a.table->FailureKind();
    a.table.reset();
    a.alias.clear();
    return ok;
}

bool DBCLOSEALL() {
    bool ok = true;
    std::string firstError;
    Failure firstFailure = Failure::kNone;
    for (int i = 1; i <= kMaxAreas; ++i) {
        E().current = i;
        if (!DBCLOSEAREA() && ok) {
            ok = false;
            firstError = E().lastError;
            firstFailure = E().lastFailure;
        }
    }
    E().current = 1;
    E().lastError = firstError;
    E().lastFailure = firstFailure;
    return ok;
}

int SELECT() { return E().current; }

int SELECT(std::string_view alias) {
    std::string name = UpperCase(alias);
    for (int i = 1; i <= kMaxAreas; ++i)
        if (E().areas[std::size_t(i)].table && E().areas[std::size_t(i)].alias == name) return i;
    return 0;
}

bool DBSELECTAREA(int area) {
    if (area < 1 || area > kMaxAreas) {
        Refuse("no work area " + std::to_string(area));
        return false;
    }
    E().current = area;
    return true;
}

bool DBSELECTAREA(std::string_view alias) {
    int area = SELECT(alias);
    if (!area) {
        Refuse("no work area with alias " + std::string(alias));
        return false;
    }
    E().current = area;
    return true;
}

bool USED() { return E().areas[std::size_t(E().current)].table != nullptr; }

std::string ALIAS(int area) {
    if (area == 0) area = E().current;
    if (area < 1 || area > kMaxAreas) return {};
    return E().areas[std::size_t(area)].alias;
}

int FCOUNT() {
    Table* t = Current();
    return t ? int(t->Fields().size()) : 0;
}

std::string FIELDNAME(int pos) {
    Table* t = Current();
    return FieldOk(t, pos) ? t->Fields()[std::size_t(pos - 1)].name : std::string();
}

int FIELDPOS(std::string_view name) {
    Table* t = Current();
    if (!t) return 0;
    std::string n = UpperCase(name);
    for (std::size_t i = 0; i < t->Fields().size(); ++i)
        if (t->Fields()[i].name == n) return int(i + 1);
    return 0;
}

Value DBFIELDINFO(int info, int pos) {
    Table* t = Current();
    if (!FieldOk(t, pos)) return {};
    const Field& f = t->Fields()[std::size_t(pos - 1)];
    switch (info) {
    case DBS_NAME: return Value(f.name);
    case DBS_TYPE: return Value(std::string(1, f.type));
    case DBS_LEN: return Value(f.len);
    case DBS_DEC: return Value(f.dec);
    default: return {};
    }
}

Value FIELDGET(int pos) {
    Table* t = Current();
    if (!FieldOk(t, pos)) return {};
    Value v = t->Get(pos);
    Done(t, t->Error().empty());
    return v;
}

bool FIELDPUT(int pos, const Value& value) {
    Table* t = Current();
    return t && Done(t, t->Put(pos, value));
}

long LASTREC() {
    Table* t = Current();
    return t ? long(t->RecCount()) : 0;
}

long RECNO() {
    Table* t = Current();
    return t ? long(t->Recno()) : 0;
}

bool DBEOF() {
    Table* t = Current();
    return !t || t->Eof();
}

bool BOF() {
    Table* t = Current();
    return !t || t->Bof();
}

bool DBAPPEND(bool releaseLocks) {
    Table* t = Current();
    if (!t) return false;
    return Done(t, t->Append(releaseLocks));
}

bool DBAPPEND(const std::vector<Value>& values, bool releaseLocks) {
    Table* t = Current();
    return t && Done(t, t->Append(releaseLocks, &values));
}

bool DBDELETE() {
    Table* t = Current();
    return t && Done(t, t->Delete());
}

bool DELETED() {
    Table* t = Current();
    return t && t->Deleted();
}

bool DBGOTO(long recno) {
    Table* t = Current();
    return t && Done(t, t->GoTo(recno < 0 ? 0 : std::uint32_t(recno)));
}

bool DBGOTOP() {
    Table* t = Current();
    return t && Done(t, t->GoTop());
}

bool DBGOBOTTOM() {
    Table* t = Current();
    return t && Done(t, t->GoBottom());
}

bool DBSKIP(long count) {
    Table* t = Current();
    return t && Done(t, t->Skip(count));
}

bool DBSEEK(std::string_view key, bool soft, bool last) {
    Table* t = Current();
    if (!t) return false;
    const bool found = t->Seek(key, soft, last);
    Done(t, found || t->Error().empty()); // not found is no failure
    return found;
}

ReadBurst::ReadBurst(int area) {
    if (area < 1 || area > kMaxAreas) return;
    const Area& a = E().areas[std::size_t(area)];
    if (!a.table || !Done(a.table.get(), a.table->BeginBurst())) return;
    area_ = area;
    opening_ = a.opening;
}

ReadBurst::~ReadBurst() {
    if (!area_) return;
    const Area& a = E().areas[std::size_t(area_)];
    if (a.table && a.opening == opening_) a.table->EndBurst();
}

int ORDCOUNT() {
    Table* t = Current();
    return t ? int(t->Tags().size()) : 0;
}

std::string ORDNAME(int order) {
    Table* t = Current();
    if (!t || order < 1 || order > int(t->Tags().size())) return {};
    return t->Tags()[std::size_t(order - 1)].cdx.name;
}

std::string ORDKEY(int order) {
    Table* t = Current();
    if (!t || order < 1 || order > int(t->Tags().size())) return {};
    return t->Tags()[std::size_t(order - 1)].cdx.key;
}

std::string ORDFOR(int order) {
    Table* t = Current();
    if (!t || order < 1 || order > int(t->Tags().size())) return {};
    return t->Tags()[std::size_t(order - 1)].cdx.forCondition;
}

int ORDNUMBER() {
    Table* t = Current();
    return t ? t->Order() : 0;
}

std::string ORDSETFOCUS(int order) {
    Table* t = Current();
    if (!t) return {};
    std::string previous = ORDNAME(t->Order());
    Done(t, t->SetOrder(order));
    return previous;
}

std::string ORDSETFOCUS(std::string_view name) {
    Table* t = Current();
    if (!t) return {};
    std::string n = UpperCase(name);
    if (n.empty()) return ORDSETFOCUS(0);
    for (std::size_t i = 0; i < t->Tags().size(); ++i)
        if (t->Tags()[i].cdx.name == n) return ORDSETFOCUS(int(i + 1));
    Refuse("no order named " + n);
    return ORDNAME(t->Order());
}

std::optional<std::string> ORDSCOPE(int which, std::optional<std::string> bound) {
    Table* t = Current();
    if (!t) return std::nullopt;
    std::optional<std::string> previous = t->Scope(which);
    t->SetScope(which, std::move(bound));
    return previous;
}

bool ORDLISTREBUILD() {
    Table* t = Current();
    return t && Done(t, t->Reindex() && t->Commit());
}

std::vector<std::string> ORDCHECK() {
    Table* t = Current();
    return t ? t->Check() : std::vector<std::string>{};
}

bool DBRLOCK(long recno) {
    Table* t = Current();
    if (!t) return false;
    if (recno == 0) recno = long(t->Recno());
    return Done(t, recno > 0 && t->Lock(std::uint32_t(recno)));
}

void DBRUNLOCK(long recno) {
    Table* t = Current();
    if (t) Done(t, t->Unlock(recno < 0 ? 0 : std::uint32_t(recno)));
}

std::vector<long> DBRLOCKLIST() {
    Table* t = Current();
    return t ? t->LockList() : std::vector<long>{};
}

bool DBCOMMIT() {
    Table* t = Current();
    return t && Done(t, t->Commit());
}

} // namespace lysora::engine
