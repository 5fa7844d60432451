#include "mainwindow/Pages.h"

#include "storage/Program.h"

namespace kelpo {

Pages::Pages(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
    setObjectName("Pages");
}

void Pages::RefreshNames() {}
void Pages::RefreshLibraryNames() {}
void Pages::RefreshLibraryButtons() {}
void Pages::Minimize() {
    showMinimized();
}

} // namespace kelpo
