// DATABASE: the set of tables that make up the database, opened and closed as one. Opening
// again in the same mode changes nothing; in another mode every table is closed and
// reopened. When any table fails to open, the whole set stays closed and "Fichiers non
// disponibles" is shown.
#pragma once

#include "data/dbf.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lysora {

class DATABASE {
public:
    DATABASE() = default;
    ~DATABASE(); // closes the tables
    DATABASE(const DATABASE&) = delete;
    DATABASE& operator=(const DATABASE&) = delete;

    void ADD(std::shared_ptr<DBF> table); // appends a table, opened after the others

    // Folder of the table files; empty or ending in "\".
    const std::string& DIRECTORY() const { return directory_; }
    const std::string& DIRECTORY(std::string directory);

    // Opens every table shared or exclusive, writable or read-only.
    bool OPEN(bool shared = true, bool readOnly = false);
    // Closes every table; false when a table's pending changes could not be written
    // (every table is closed all the same).
    bool CLOSE();

    const std::vector<std::shared_ptr<DBF>>& AOBJ() const { return aobj_; }
    std::optional<bool> SHARED() const { return shared_; }     // nullopt while closed
    std::optional<bool> READONLY() const { return readOnly_; } // nullopt while closed

private:
    std::vector<std::shared_ptr<DBF>> aobj_;
    std::string directory_;
    std::optional<bool> shared_;
    std::optional<bool> readOnly_;
};

} // namespace lysora
