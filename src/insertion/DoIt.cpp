#include "insertion/DoIt.h"

#include "storage/Program.h"

namespace kelpo {

DoIt::DoIt(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName("DoIt");
}

void DoIt::SetRowHidden(int, bool) {}
void DoIt::SetRowClip(int, const QString&) {}
void DoIt::ShowForUse() {}

} // namespace kelpo
