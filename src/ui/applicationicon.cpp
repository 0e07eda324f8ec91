#include "applicationicon.h"

QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/voduro/voduro.png"));
}
