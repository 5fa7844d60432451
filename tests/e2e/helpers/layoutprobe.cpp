// Prints where the controls of the main window and the insertion window lie, so the
// end-to-end tests can click them with the real pointer. Run it on the same display and
// with the same fonts as the program under test; it shows no window.
//
//   layoutprobe    ->  "<window> <control> <x> <y>" per line: the control's centre in the
//                      coordinates of its window's client area
#include "insertion/DoIt.h"
#include "mainwindow/Pages.h"
#include "storage/Program.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace kelpo;

namespace {

void Print(const char* window, QWidget* top, QWidget* control, const QString& name) {
    const QPoint c = control->mapTo(top, control->rect().center());
    std::printf("%s %s %d %d\n", window, qPrintable(name), c.x(), c.y());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    Program program;
    program.ProgramFolder = dir.path() + '/';
    program.LibraryFolder = program.ProgramFolder + "Lib1/";

    // Laid out as when shown, but never put on the screen.
    Pages pages(program);
    pages.setAttribute(Qt::WA_DontShowOnScreen);
    pages.show();
    for (int slot = 0; slot < VisibleSlotCount; ++slot)
        Print("Pages", &pages, pages.NameLabel(slot), QStringLiteral("Pagenames_%1").arg(slot));
    for (QPushButton* button : pages.findChildren<QPushButton*>())
        if (!button->objectName().isEmpty())
            Print("Pages", &pages, button, button->objectName());

    DoIt doIt(program);
    doIt.setAttribute(Qt::WA_DontShowOnScreen);
    doIt.show();
    QCoreApplication::processEvents();
    for (int row = 0; row < ClipCount; ++row)
        Print("DoIt", &doIt, doIt.findChild<QLabel*>(QStringLiteral("Names_%1").arg(row)),
              QStringLiteral("Names_%1").arg(row));
    for (QPushButton* button : doIt.findChildren<QPushButton*>())
        Print("DoIt", &doIt, button, button->objectName());
    std::fflush(stdout);
    return 0;
}
