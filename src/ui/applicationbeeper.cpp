#include "applicationbeeper.h"

#include <QApplication>

void ApplicationBeeper::beep() {
    QApplication::beep();
}
