#include "insertion/DoIt.h"

#include "storage/Program.h"

namespace kelpo {

DoIt::DoIt(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName("DoIt");
}

} // namespace kelpo
