// The data object of a dialog (DLG:DATA): what LOAD reads the fields from, STORE writes them
// to and OK commits. A table selection or a record buffer plays this part; the dialog only
// needs the fields by symbol, their domains and captions, and an optional commit.
// RecordBuffer is the plain in-memory one: a list of declared fields and their values.
#pragma once

#include "data/domain.h"

#include <string>
#include <utility>
#include <vector>

namespace lysora {

class DataObject {
public:
    virtual ~DataObject() = default;
    // True when the object has a variable of that name.
    virtual bool Has(Symbol field) const = 0;
    virtual Value Get(Symbol field) = 0;
    // False when the value could not be written.
    virtual bool Put(Symbol field, const Value& value) = 0;
    // The domain of a field (FLDOBJ), null when it has none.
    virtual DomPtr FLDOBJ(Symbol field) const = 0;
    // The caption of a field (FLDTXT).
    virtual std::string FLDTXT(Symbol field) const = 0;
    // True when the object has a COMMIT method; COMMIT answers whether it succeeded.
    virtual bool HasCommit() const { return false; }
    virtual bool COMMIT() { return true; }
};

// Fields declared with their domain and caption; values kept in memory.
class RecordBuffer : public DataObject {
public:
    RecordBuffer& Declare(Symbol field, DomPtr dom, std::string caption, Value initial = {})
    {
        fields_.push_back({field, std::move(dom), std::move(caption), std::move(initial)});
        return *this;
    }
    bool Has(Symbol field) const override { return Find(field) != nullptr; }
    Value Get(Symbol field) override
    {
        const Field* f = Find(field);
        return f ? f->value : Value();
    }
    bool Put(Symbol field, const Value& value) override
    {
        Field* f = Find(field);
        if (!f)
            return false;
        f->value = value;
        return true;
    }
    DomPtr FLDOBJ(Symbol field) const override
    {
        const Field* f = Find(field);
        return f ? f->dom : nullptr;
    }
    std::string FLDTXT(Symbol field) const override
    {
        const Field* f = Find(field);
        return f ? f->caption : std::string();
    }

private:
    struct Field {
        Symbol name;
        DomPtr dom;
        std::string caption;
        Value value;
    };
    const Field* Find(Symbol field) const
    {
        for (const Field& f : fields_)
            if (f.name == field)
                return &f;
        return nullptr;
    }
    Field* Find(Symbol field) { return const_cast<Field*>(std::as_const(*this).Find(field)); }

    std::vector<Field> fields_;
};

} // namespace lysora
