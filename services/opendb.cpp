// OPENDB (see opendb.h).
#include "services/opendb.h"

#include "services/program_dir.h"
#include "services/reftables.h"
#include "services/settings.h"

namespace lysora {

bool OPENDB() { return OPENDB(_DEBUG()); }

bool OPENDB(bool writable)
{
    DATABASE& database = I_DATABASE();
    database.DIRECTORY(PROGRAMDIR());
    // Shared in every case: several users may read the tables at once.
    if (!database.OPEN(true, !writable))
        return false; // "Fichiers non disponibles" has been shown
    return LOADGENERAL() && LOADNUTRIMENTS();
}

} // namespace lysora
