#include "mainwindow/Pages.h"
#include "storage/Program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kelpo::Program program;
    kelpo::Pages pages(program);
    pages.show();
    return app.exec();
}
