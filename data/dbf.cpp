// Table definitions (see dbf.h): declaration, the checks made on open, and field access by
// name in the table's work area.
#include "data/dbf.h"

#include "base/messages.h"
#include "base/text.h"
#include "data/engine/engine.h"
#include "data/engine/file.h"

namespace lysora {

namespace db = engine;

AreaRegistry<DBF> I_AREADBF;
AreaRegistry<DBSEL> I_AREASEL;

namespace {

std::vector<std::string> TitleList(const Value& title)
{
    std::vector<std::string> list;
    if (title.IsText())
        list.push_back(title.Text());
    else if (title.IsArray())
        for (const Value& item : title.Array())
            list.push_back(item.Text());
    return list;
}

template <typename T>
T ItemAt(const std::vector<T>& items, int n)
{
    return n >= 1 && std::size_t(n) <= items.size() ? items[std::size_t(n) - 1] : T{};
}

int NumberOf(const std::vector<Symbol>& names, ItemRef ref)
{
    if (ref.name.IsNull())
        return ref.number >= 1 && std::size_t(ref.number) <= names.size() ? ref.number : 0;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == ref.name)
            return int(i) + 1;
    return 0;
}

} // namespace

DBF::DBF(std::string fileName, std::string alias) : filename_(std::move(fileName)), alias_(std::move(alias)) {}

DBF::~DBF() { CLOSE(); }

void DBF::FLD(Symbol field, DomPtr domain, std::string text1, std::optional<std::string> text2,
              std::optional<std::string> text3)
{
    afldsym_.push_back(field);
    afldobj_.push_back(std::move(domain));
    afldtx2_.push_back(text2.value_or(text1));
    afldtx3_.push_back(text3.value_or(text1));
    afldtxt_.push_back(std::move(text1));
}

void DBF::ORD(Symbol order, std::string key, std::string condition, std::string text)
{
    aordsym_.push_back(order);
    aordkey_.push_back(std::move(key));
    aordfor_.push_back(std::move(condition));
    aordtxt_.push_back(std::move(text));
    aordfields_.emplace_back();
}

void DBF::ORD(Symbol order, const std::vector<Symbol>& fields, std::string condition, std::string text)
{
    std::string key;
    for (Symbol field : fields) {
        if (!key.empty())
            key += "+";
        DOM* domain = FLDOBJ(field);
        key += domain ? domain->ORDKEY(field) : field.Name();
    }
    ORD(order, std::move(key), std::move(condition), std::move(text));
    aordfields_.back() = fields;
}

std::vector<Symbol> DBF::ORDFIELDS(int order) const
{
    if (order < 1 || order > int(aordfields_.size()))
        return {};
    return aordfields_[std::size_t(order) - 1];
}

std::string DBF::TXT(bool second) const
{
    const std::vector<std::string>& list = second ? secondTitles_ : titles_;
    return list.empty() ? std::string() : list.front();
}

void DBF::TXT(const Value& title, const Value& secondTitle)
{
    titles_ = TitleList(title);
    secondTitles_ = TitleList(secondTitle);
}

bool DBF::OPEN(bool shared, bool readOnly, std::string directory)
{
    CLOSE();
    if (!directory.empty() && directory.back() != '\\' && directory.back() != '/')
        directory += '\\';
    std::string path = directory + filename_ + ".dbf";
    if (!engine::FileExists(path)) {
        ShowMessage("Fichier non trouvé", "Table " + path, kMbIconStop);
        return false;
    }
    if (!CheckSignature(path)) {
        ShowMessage("Fichier incorrect", "Table " + filename_);
        return false;
    }
    if (!db::DBUSEAREA(true, "DBFCDX", directory + filename_, alias_, shared, readOnly) || db::NETERR())
        return false; // DATABASE:OPEN reports the failure of the set
    if (!CheckStructure()) {
        db::DBCLOSEAREA();
        return false;
    }
    area_ = db::SELECT();
    if (!db::DBNOTICE().empty())
        ShowMessage("Une modification de cette table a été interrompue et ses fichiers ne peuvent pas être "
                    "écrits ici : elle est montrée telle qu'avant cette modification. Ouvrez-la une fois en "
                    "écriture pour la réparer.",
                    "Table " + filename_, kMbIconExclamation);
    return true;
}

// Byte 0 is 0x03 for a dBASE III table without memo; byte 29 (the language driver) is 0x03
// for the Windows ANSI code page, which also admits tables with a memo file (0x83).
bool DBF::CheckSignature(const std::string& path) const
{
    std::string head = db::ReadFileHead(path, 32);
    if (head.empty())
        return true; // unreadable here: the engine's own open decides
    return head[0] == '\x03' || (head.size() > 29 && head[29] == '\x03');
}

bool DBF::CheckStructure() const
{
    std::string caption = "Table " + filename_;
    if (std::size_t(db::FCOUNT()) != afldsym_.size()) {
        ShowMessage("Nombre de champs incorrect", caption);
        return false;
    }
    for (std::size_t i = 0; i < afldsym_.size(); ++i) {
        int pos = int(i) + 1;
        const DOM* domain = afldobj_[i].get();
        bool same = domain && db::FIELDNAME(pos) == afldsym_[i].Name() &&
                    db::DBFIELDINFO(db::DBS_TYPE, pos).Text() == domain->TYP() &&
                    db::DBFIELDINFO(db::DBS_LEN, pos).Number() == domain->LEN() &&
                    db::DBFIELDINFO(db::DBS_DEC, pos).Number() == domain->DEC();
        if (!same) {
            ShowMessage("Champ " + afldsym_[i].Name() + " incorrect", caption);
            return false;
        }
    }
    // Selections address orders by number: order i must be the i-th tag of the index.
    for (std::size_t i = 0; i < aordsym_.size(); ++i) {
        if (db::ORDNAME(int(i) + 1) != UpperCase(aordsym_[i].Name())) {
            ShowMessage("Index " + aordsym_[i].Name() + " incorrect", caption);
            return false;
        }
    }
    return true;
}

bool DBF::CLOSE()
{
    if (area_ == 0)
        return true;
    bool ok = !db::DBSELECTAREA(area_) || db::DBCLOSEAREA();
    I_AREADBF.ClearIf(area_, this);
    I_AREASEL.Clear(area_);
    area_ = 0;
    return ok;
}

bool DBF::SelectArea() const { return area_ != 0 && db::DBSELECTAREA(area_); }

bool DBF::INSERT()
{
    // The area's other locks belong to selections that still count on them: keep them.
    return SelectArea() && db::DBAPPEND(false);
}

bool DBF::INSERT(const ValueArray& values) { return SelectArea() && db::DBAPPEND(values, false); }

bool DBF::DELETE() { return SelectArea() && db::DBDELETE(); }

Value DBF::Get(Symbol field)
{
    int pos = SelectArea() ? db::FIELDPOS(field.Name()) : 0;
    if (pos == 0) {
        ReportMissingField(AliasText(), field, "NOIVarGet");
        return Value();
    }
    return db::FIELDGET(pos);
}

bool DBF::Put(Symbol field, const Value& value)
{
    int pos = SelectArea() ? db::FIELDPOS(field.Name()) : 0;
    if (pos == 0) {
        ReportMissingField(AliasText(), field, "NOIVarPut");
        return false;
    }
    return db::FIELDPUT(pos, value);
}

std::string DBF::AliasText() const
{
    return area_ != 0 ? db::ALIAS(area_) : alias_.empty() ? filename_ : alias_;
}

void ReportMissingField(std::string_view alias, Symbol field, std::string_view caption)
{
    ShowMessage(std::string(alias) + "->" + field.Name(), caption);
}

Symbol DBF::FLDSYM(int n) const { return ItemAt(afldsym_, n); }

int DBF::FieldNumber(ItemRef field) const { return NumberOf(afldsym_, field); }

DOM* DBF::FLDOBJ(ItemRef field) const { return ItemAt(afldobj_, FieldNumber(field)).get(); }

std::string DBF::FLDTXT(ItemRef field, int textNumber) const
{
    int n = FieldNumber(field);
    if (textNumber == 2)
        return ItemAt(afldtx2_, n);
    if (textNumber == 3)
        return ItemAt(afldtx3_, n);
    return ItemAt(afldtxt_, n);
}

int DBF::OrderNumber(ItemRef order) const { return NumberOf(aordsym_, order); }

} // namespace lysora
