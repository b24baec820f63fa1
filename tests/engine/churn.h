// The table state that engine_peer's churn writes and every reader of it checks: each
// write-back gives record 1 a new stamp (TB = stamp / 100, MATIERE = ChurnKey(stamp)) and
// appends a record that holds the same stamp (MATIERE = stamp % 1000, NUTRI "A"), so that
// any mix of two write-backs, a half-written record or an index that lags shows.
#pragma once

#include "data/engine/engine.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace lysora::engine::test {

inline int ChurnKey(long stamp) { return int((stamp * 7919) % 9973); }

// The stamp of the table in the current area (record 1's); moves to record 1.
inline long ChurnStamp() {
    DBGOTO(1);
    return std::lround(FIELDGET(4).Number() * 100);
}

// What is wrong with the table in the current area (its controlling order MAT_NUTRI); "" when nothing.
inline std::string ChurnProblem() {
    const long stamp = ChurnStamp();
    const double matiere = FIELDGET(1).Number();
    const std::string nutri = FIELDGET(2).Text();
    if (matiere != ChurnKey(stamp))
        return "record 1 holds stamp " + std::to_string(stamp) + " with key " + std::to_string(matiere);
    const long last = LASTREC();
    if (last > 1) {
        DBGOTO(last);
        const long appended = std::lround(FIELDGET(4).Number() * 100);
        if (appended != stamp || FIELDGET(1).Number() != double(stamp % 1000) || FIELDGET(2).Text().substr(0, 1) != "A")
            return "record 1 holds stamp " + std::to_string(stamp) + ", the last record " + std::to_string(appended);
    }
    std::vector<std::string> problems = ORDCHECK();
    if (!problems.empty()) return "stamp " + std::to_string(stamp) + ": " + problems.front();
    char key[5];
    std::snprintf(key, sizeof key, "%4d", ChurnKey(stamp));
    if (!DBSEEK(std::string(key) + nutri) || RECNO() != 1)
        return "stamp " + std::to_string(stamp) + ": record 1 not found under its key";
    return {};
}

} // namespace lysora::engine::test
