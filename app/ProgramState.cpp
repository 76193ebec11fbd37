#include "app/ProgramState.h"

#include "app/BankLock.h"

#include "store/Database.h"
#include "store/Engine.h"
#include "store/RecordSet.h"

namespace app {

ProgramState& state() {
    static ProgramState instance;
    return instance;
}

} // namespace app
