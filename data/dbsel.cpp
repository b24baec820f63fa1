// Selections (see dbsel.h).
#include "data/dbsel.h"

#include "base/messages.h"
#include "data/engine/engine.h"
#include "data/notify.h"

#include <algorithm>
#include <functional>

namespace lysora {

namespace db = engine;

namespace {

int ResolveArea(const AreaRef& area)
{
    if (!area.alias.empty())
        return db::SELECT(area.alias);
    return area.number >= 1 && area.number <= AreaRegistry<DBF>::kAreas ? area.number : 0;
}

std::optional<std::string> Bound(const std::string& key)
{
    return key.empty() ? std::nullopt : std::optional<std::string>(key);
}

const std::vector<Symbol> kNoSymbols;
const std::vector<DomPtr> kNoDomains;
const std::vector<std::string> kNoTexts;

} // namespace

bool DBSEL::ISOPEN(Symbol alias) { return engine::SELECT(alias.Name()) != 0; }

DBSEL::DBSEL(AreaRef area) : area_(std::int16_t(ResolveArea(area))), dbo_(I_AREADBF[area_]) {}

DBSEL::DBSEL(AreaRef area, ItemRef order, std::string keyMin, std::optional<std::string> keyMax)
    : DBSEL(std::move(area))
{
    ORD(order, std::move(keyMin), std::move(keyMax));
}

DBSEL::~DBSEL()
{
    // Only while the table is still the one open in the area: closing it freed the locks.
    if (!alock_.empty() && dbo_ && I_AREADBF[area_] == dbo_ && db::DBSELECTAREA(area_))
        for (std::int32_t recno : alock_)
            db::DBRUNLOCK(recno);
    I_AREASEL.ClearIf(area_, this);
}

Symbol DBSEL::ORD()
{
    I_AREASEL.Clear(area_);
    return dbo_ && ord_ > 0 ? dbo_->AORDSYM()[std::size_t(ord_) - 1] : Symbol();
}

Symbol DBSEL::ORD(ItemRef order, std::string keyMin, std::optional<std::string> keyMax)
{
    ord_ = std::int16_t(dbo_ ? dbo_->OrderNumber(order) : 0);
    keymin_ = std::move(keyMin);
    keymax_ = keyMax ? std::move(*keyMax) : keymin_;
    return ORD();
}

bool DBSEL::REST(bool goTo)
{
    // Never act on whatever area happens to be current.
    if (!db::DBSELECTAREA(area_) || !db::USED())
        return false;
    if (I_AREASEL[area_] != this) {
        db::ORDSETFOCUS(ord_);
        db::ORDSCOPE(0, Bound(keymin_));
        db::ORDSCOPE(1, Bound(keymax_));
        I_AREASEL.Set(area_, this);
    }
    if (goTo && db::RECNO() != recno_)
        db::DBGOTO(recno_);
    return true;
}

void DBSEL::UpdatePosition() { recno_ = db::DBEOF() ? kEofRecno : std::int32_t(db::RECNO()); }

bool DBSEL::AtEnd()
{
    recno_ = kEofRecno;
    return false;
}

bool DBSEL::Navigate(bool goTo, const std::function<bool()>& move)
{
    if (!REST(goTo))
        return AtEnd();
    // An engine that could not move (it could not take in other users' changes, or write
    // this process's own) has not moved: the selection stays where it was.
    if (!move())
        return false;
    UpdatePosition();
    return !Eof();
}

bool DBSEL::GOTOP()
{
    return Navigate(false, [] { return db::DBGOTOP(); });
}

bool DBSEL::GOBOTTOM()
{
    return Navigate(false, [] { return db::DBGOBOTTOM(); });
}

bool DBSEL::SKIP(long count)
{
    bool bof = false;
    const bool on = Navigate(true, [count, &bof] {
        const bool moved = db::DBSKIP(count);
        bof = moved && count < 0 && db::BOF();
        return moved;
    });
    bof_ = bof;
    return on;
}

bool DBSEL::SEEK(std::string_view key, std::string_view suffix, bool soft)
{
    return Navigate(false, [&] {
        const bool found = suffix.empty() && !soft ? db::DBSEEK(key)
                                                   : db::DBSEEK(std::string(key) + std::string(suffix), true);
        return found || db::LASTFAILURE() == db::Failure::kNone; // not found is a move to end of file
    });
}

void DBSEL::GOTO(std::int32_t recno) { recno_ = recno; }

bool DBSEL::HoldsLock(std::int32_t recno) const
{
    return std::find(alock_.begin(), alock_.end(), recno) != alock_.end();
}

// The record is appended with its values in one step: a value that does not fit its
// field leaves no record, half filled or blank, behind.
bool DBSEL::INSERT(const Value& values)
{
    if (!REST(false) || !dbo_ || !(values.IsArray() ? dbo_->INSERT(values.Array()) : dbo_->INSERT()))
        return false;
    recno_ = std::int32_t(db::RECNO());
    if (!HoldsLock(recno_))
        alock_.push_back(recno_);
    db::DBRLOCK(recno_); // the append has locked it already; this keeps the lock certain
    return true;
}

bool DBSEL::DELETE()
{
    if (Eof() || !dbo_)
        return false;
    std::int32_t deleted = recno_;
    // With go-to: another selection may have moved the engine since LOCK placed it here.
    if (!REST(true))
        return false;
    db::DBSKIP(1);
    UpdatePosition();
    db::DBGOTO(deleted);
    if (!dbo_->DELETE()) {
        recno_ = deleted;
        return false;
    }
    return true;
}

bool DBSEL::LOCK()
{
    vanished_ = false;
    if (!REST(true))
        return false;
    if (HoldsLock(recno_))
        return true;
    if (Eof())
        return false;
    auto vanished = [this] {
        vanished_ = true;
        ShowMessage("Enregistrement supprimé par un autre utilisateur", "", kMbOk);
        NOTIFY_SENDALL(Symbol("REFRESH"));
        return false;
    };
    db::DBGOTO(recno_); // read the record afresh: another user may have deleted it
    if (db::DELETED())
        return vanished();
    std::vector<long> lockedHere = db::DBRLOCKLIST();
    if (std::find(lockedHere.begin(), lockedHere.end(), long(recno_)) != lockedHere.end())
        return false; // another selection of this process holds it
    if (!db::DBRLOCK(recno_))
        return false;
    // Deleted between our read and our lock: give the lock back.
    db::DBGOTO(recno_);
    if (db::DELETED()) {
        db::DBRUNLOCK(recno_);
        return vanished();
    }
    alock_.push_back(recno_);
    return true;
}

void DBSEL::UNLOCK()
{
    if (REST(false)) // a closed table has released its locks already
        for (std::int32_t recno : alock_)
            db::DBRUNLOCK(recno);
    alock_.clear();
}

bool DBSEL::COMMIT()
{
    // The windows redraw from the files only after a save that reached them.
    if (!REST(false) || !db::DBCOMMIT())
        return false;
    NOTIFY_SENDALL(Symbol("ONCOMMIT"));
    return true;
}

std::string DBSEL::FAILURE()
{
    switch (db::LASTFAILURE()) {
    case db::Failure::kNone:
        return {};
    case db::Failure::kBusy:
        return "Fichier non disponible : un autre utilisateur tient l'enregistrement ou écrit dans la table";
    case db::Failure::kWrite:
        return "Enregistrement impossible : les fichiers ne peuvent pas être écrits (disque plein ou protégé ?)";
    case db::Failure::kRefused:
        break;
    }
    return "Enregistrement impossible : " + db::LASTERROR();
}

const std::vector<Symbol>& DBSEL::FLDSYM() const { return dbo_ ? dbo_->FLDSYM() : kNoSymbols; }
Symbol DBSEL::FLDSYM(int n) const { return dbo_ ? dbo_->FLDSYM(n) : Symbol(); }
const std::vector<DomPtr>& DBSEL::FLDOBJ() const { return dbo_ ? dbo_->FLDOBJ() : kNoDomains; }
DOM* DBSEL::FLDOBJ(ItemRef field) const { return dbo_ ? dbo_->FLDOBJ(field) : nullptr; }
const std::vector<std::string>& DBSEL::FLDTXT() const { return dbo_ ? dbo_->FLDTXT() : kNoTexts; }

std::string DBSEL::FLDTXT(ItemRef field, int textNumber) const
{
    return dbo_ ? dbo_->FLDTXT(field, textNumber) : std::string();
}

std::string DBSEL::TXT(bool second) const { return dbo_ ? dbo_->TXT(second) : std::string(); }

void DBSEL::TXT(const Value& title, const Value& secondTitle)
{
    if (dbo_)
        dbo_->TXT(title, secondTitle);
}

Value DBSEL::Get(Symbol field)
{
    REST(true);
    if (!dbo_) {
        ReportMissingField(db::ALIAS(area_), field, "NOIVarGet");
        return Value();
    }
    return dbo_->Get(field);
}

bool DBSEL::Put(Symbol field, const Value& value)
{
    REST(true);
    if (!dbo_) {
        ReportMissingField(db::ALIAS(area_), field, "NOIVarPut");
        return false;
    }
    return dbo_->Put(field, value);
}

} // namespace lysora
