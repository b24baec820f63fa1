// DATABASE (see database.h).
#include "data/database.h"

#include "base/messages.h"

namespace lysora {

DATABASE::~DATABASE() { CLOSE(); }

void DATABASE::ADD(std::shared_ptr<DBF> table)
{
    if (table)
        aobj_.push_back(std::move(table));
}

const std::string& DATABASE::DIRECTORY(std::string directory)
{
    directory_ = std::move(directory);
    return directory_;
}

bool DATABASE::OPEN(bool shared, bool readOnly)
{
    if (shared_ == shared && readOnly_ == readOnly)
        return true;
    CLOSE();
    for (const std::shared_ptr<DBF>& table : aobj_) {
        if (!table->OPEN(shared, readOnly, directory_)) {
            CLOSE();
            ShowMessage("Fichiers non disponibles", "Erreur", kMbIconStop);
            return false;
        }
        I_AREADBF.Set(table->AREA(), table.get());
    }
    shared_ = shared;
    readOnly_ = readOnly;
    return true;
}

bool DATABASE::CLOSE()
{
    bool ok = true;
    for (const std::shared_ptr<DBF>& table : aobj_)
        ok = table->CLOSE() && ok; // clears its I_AREADBF and I_AREASEL entries
    shared_.reset();
    readOnly_.reset();
    return ok;
}

} // namespace lysora
